#include "gui/picture_texture.h"

#include <SDL_opengl.h>

namespace tavi::gui {

PictureTexture::PictureTexture() {
    GLuint name = 0;
    glGenTextures(1, &name);
    name_ = name;
    glBindTexture(GL_TEXTURE_2D, name_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

PictureTexture::~PictureTexture() {
    const GLuint name = name_;
    glDeleteTextures(1, &name);
}

void PictureTexture::show(const host::RgbaImage &picture) {
    if (picture == uploaded_) return;
    glBindTexture(GL_TEXTURE_2D, name_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, picture.width, picture.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 picture.rgba.data());
    uploaded_ = picture;
}

}  // namespace tavi::gui
