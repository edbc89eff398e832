#pragma once
// Uploading pixels as a clamped 2-D texture (font and skin atlases, pictures).

#include <GL/gl.h>

#include <cstdint>

namespace brae {

// format is GL_ALPHA or GL_RGBA (one or four bytes per pixel, rows packed); filter is
// GL_LINEAR or GL_NEAREST. Returns the new texture's name.
GLuint UploadTexture(int width, int height, GLenum format, GLint filter, const uint8_t* pixels);

}  // namespace brae
