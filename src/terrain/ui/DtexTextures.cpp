#include "terrain/ui/DtexTextures.h"

#include <GL/glext.h>

#include <map>

#include "terrain/DtexTag.h"

namespace brae {

namespace {

struct Uploaded {
  GLuint name = 0;
  uint64_t generation = 0;
};

std::map<const DtexTag*, Uploaded>& Textures() {
  static std::map<const DtexTag*, Uploaded> textures;
  return textures;
}

void Upload(DtexTag* tag, Uploaded* u) {
  if (!u->name) glGenTextures(1, &u->name);
  glPushAttrib(GL_TEXTURE_BIT);
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glBindTexture(GL_TEXTURE_2D, u->name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, tag->Width(), tag->Height(), 0, GL_RGB, GL_UNSIGNED_BYTE,
               tag->Pixels().data());
  glPopClientAttrib();
  glPopAttrib();
  u->generation = tag->Generation();
  tag->MarkTextureCurrent();
}

}  // namespace

GLuint DtexTexture(DtexTag* tag) {
  if (!tag || tag->Pixels().empty()) return 0;
  Uploaded& u = Textures()[tag];
  if (!u.name || u.generation != tag->Generation()) Upload(tag, &u);
  return u.name;
}

void ReleaseDtex(DtexTag* tag) {
  if (!tag) return;
  if (tag->reference_count <= 1) {
    auto found = Textures().find(tag);
    if (found != Textures().end()) {
      if (found->second.name) glDeleteTextures(1, &found->second.name);
      Textures().erase(found);
    }
  }
  TheDtexManager().Release(tag);
}

size_t DtexTextureCount() {
  return Textures().size();
}

}  // namespace brae
