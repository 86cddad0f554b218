// The OpenGL side of TGLBMP: the mipmapped terrain texture and the viewport
// read-back. Everything here runs in the caller's current context.
#include "GLBMP.h"

#include <QOpenGLContext>
#include <qopengl.h>   // brings Qt's own glext; the system <GL/glext.h> must not follow
#include <GL/glu.h>

namespace {

// A texture name belongs to its context (and those sharing with it): deleting
// it from any other would delete someone else's texture.
bool IsContextCurrent(QOpenGLContext *owner)
{
    QOpenGLContext *current = QOpenGLContext::currentContext();
    return owner && current && (current == owner || QOpenGLContext::areSharing(current, owner));
}

// Tightly packed rows of four bytes, nothing skipped; whatever the rest of
// the program set for its own transfers is restored afterwards.
class DefaultPixelStore {
public:
    DefaultPixelStore()
    {
        glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
        for (GLenum name : {GL_UNPACK_ROW_LENGTH, GL_UNPACK_SKIP_ROWS, GL_UNPACK_SKIP_PIXELS,
                            GL_PACK_ROW_LENGTH, GL_PACK_SKIP_ROWS, GL_PACK_SKIP_PIXELS})
            glPixelStorei(name, 0);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
    }
    ~DefaultPixelStore() { glPopClientAttrib(); }
    DefaultPixelStore(const DefaultPixelStore &) = delete;
    DefaultPixelStore &operator=(const DefaultPixelStore &) = delete;
};

} // namespace

TGLBMP::~TGLBMP()
{
    if (IsContextCurrent(textureContext_))
        ReleaseTexture();
}

void TGLBMP::ReleaseTexture()
{
    if (textureId_ != 0 && IsContextCurrent(textureContext_)) {
        const GLuint id = textureId_;
        glDeleteTextures(1, &id);
    }
    textureId_ = 0;
    textureContext_ = nullptr;
}

bool TGLBMP::GenTexture(bool compress, bool anisotropic)
{
    QOpenGLContext *context = QOpenGLContext::currentContext();
    if (!HasPixels() || !context)
        return false;
    ReleaseTexture();

    GLuint id = 0;
    glGenTextures(1, &id);
    textureId_ = id;
    textureContext_ = context;
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GLint(WrapS));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GLint(WrapT));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GLint(MagFilter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GLint(MinFilter));
    if (anisotropic && context->hasExtension("GL_EXT_texture_filter_anisotropic")) {
        GLfloat largest = 1.0f;
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &largest);
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, largest);
    }

    // Without S3TC the driver would reject the compressed format outright and
    // leave no texture at all; plain RGBA costs memory but still draws.
    const bool dxt1 = compress && context->hasExtension("GL_EXT_texture_compression_s3tc");
    textureFormat_ = dxt1 ? GlCompressedDxt1 : GL_RGBA;
    GLint failure = 0;
    {
        DefaultPixelStore store;
        failure = gluBuild2DMipmaps(GL_TEXTURE_2D, GLint(textureFormat_), width_, height_, GL_RGBA,
                                    GL_UNSIGNED_BYTE, pixels_.get());
    }
    if (failure != 0) {
        qWarning("Texture of %d x %d pixels could not be built: %s", width_, height_,
                 reinterpret_cast<const char *>(gluErrorString(GLenum(failure))));
        ReleaseTexture();
        return false;
    }
    return true;
}

void TGLBMP::Bind() const
{
    if (textureId_ != 0)
        glBindTexture(GL_TEXTURE_2D, textureId_);
}

bool TGLBMP::GrabScreen(const std::string &fileName)
{
    if (!QOpenGLContext::currentContext())
        return false;
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    SetSize(viewport[2], viewport[3]);
    if (HasPixels()) {
        glFinish();
        DefaultPixelStore store;
        // GL hands the bottom row over first, which is the buffer's own order.
        glReadPixels(viewport[0], viewport[1], width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, pixels_.get());
    }
    return fileName.empty() || SaveToFile(fileName);
}
