#pragma once
// The OpenGL textures of the open detail textures, one per shared DtexTag resource and shared
// by every editor that draws it (the detail texture editor and the mesh editors). A texture is
// uploaded again when the resource's pixels have changed since.

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>

namespace brae {

class DtexTag;

// The texture of the resource (RGB, linear filtering with mipmaps), uploaded first when stale;
// 0 without a resource.
GLuint DtexTexture(DtexTag* tag);
// Releases one reference to the resource through its manager; the last one also deletes the
// texture.
void ReleaseDtex(DtexTag* tag);
// Textures currently held (tests).
size_t DtexTextureCount();

}  // namespace brae
