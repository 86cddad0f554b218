// One 32-bit RGBA picture in memory that becomes the terrain's OpenGL texture,
// captures the viewport as a screenshot and writes itself as BMP, JPEG or TGA.
//
// Pixel layout: R, G, B, A per pixel, rows packed without gaps, the BOTTOM row
// of the picture first (OpenGL's row order), so the buffer goes to
// gluBuild2DMipmaps and comes back from glReadPixels without reordering.
//
// GL use: GenTexture, Bind, ReleaseTexture and GrabScreen/ScreenShot talk to
// the OpenGL context that is current on the calling thread; the caller makes
// its context current first (QOpenGLWidget::makeCurrent outside paintGL). The
// buffer operations and the writers need no context.
//
// Saving: every writer writes a temporary file beside the target and renames it
// into place, so a failed or interrupted save never leaves a truncated file
// where a good one was. Every failure (no pixels, unknown extension, a folder
// that cannot be written, a short write) gives false and leaves the target as
// it was; saving never changes the pixel buffer.
#pragma once

#include <QImage>
#include <QPointer>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QOpenGLContext;

class TGLBMP {
public:
    // GL enumeration values, spelled out so this header needs no GL header.
    static constexpr uint32_t GlLinear = 0x2601;           // GL_LINEAR
    static constexpr uint32_t GlRepeat = 0x2901;           // GL_REPEAT
    static constexpr uint32_t GlCompressedDxt1 = 0x83F1;   // GL_COMPRESSED_RGBA_S3TC_DXT1_EXT
    static constexpr int DefaultJpegQuality = 75;

    TGLBMP();
    // Frees the pixels; deletes the texture only when the context that made it
    // is current (otherwise the texture goes away with its context).
    ~TGLBMP();
    TGLBMP(const TGLBMP &) = delete;
    TGLBMP &operator=(const TGLBMP &) = delete;

    // Settings read by GenTexture and SaveJPG; change them before those calls.
    int JpegQuality = DefaultJpegQuality;   // libjpeg quality, 1 … 100
    uint32_t MinFilter = GlLinear;
    uint32_t MagFilter = GlLinear;
    uint32_t WrapS = GlRepeat;
    uint32_t WrapT = GlRepeat;

    // State, read-only from outside so size and buffer always agree.
    uint32_t TextureId() const { return textureId_; }     // 0: no texture
    int Width() const { return width_; }
    int Height() const { return height_; }
    int BitsPerPixel() const { return bitsPerPixel_; }     // 32 once sized, 0 before
    uint8_t *Pixels() { return pixels_.get(); }           // nullptr: no pixels
    const uint8_t *Pixels() const { return pixels_.get(); }
    bool HasPixels() const { return pixels_ != nullptr; }
    size_t ByteCount() const { return size_t(width_) * size_t(height_) * 4; }
    // Internal format the last GenTexture asked for: GlCompressedDxt1 or GL_RGBA (0x1908); 0 before.
    uint32_t TextureFormat() const { return textureFormat_; }

    // Replaces the pixels by w × h undefined pixels; w × h = 0 (or a negative
    // side) leaves none. Width and Height become w and h, BitsPerPixel 32.
    void SetSize(int w, int h);
    // Releases the pixel buffer; Width and Height stay as they were.
    void FreePixels();

    // (Re)creates the texture from the pixels with every mipmap level (GLU
    // scales sides that are not powers of two). compress asks for S3TC DXT1
    // storage when the context offers GL_EXT_texture_compression_s3tc and
    // falls back to GL_RGBA otherwise; anisotropic sets the largest anisotropy
    // the context allows when it offers GL_EXT_texture_filter_anisotropic.
    // No pixels or no current context: does nothing and gives false. A
    // texture GL could not build is deleted again (TextureId 0, false). The
    // pixels stay in memory.
    bool GenTexture(bool compress, bool anisotropic);
    // Binds the texture to GL_TEXTURE_2D when there is one.
    void Bind() const;
    // Deletes the texture (needs its context current); TextureId becomes 0.
    void ReleaseTexture();

    // Reads the whole current viewport of the current read framebuffer into
    // the pixels and, when fileName is not empty, saves them there. True
    // unless that save fails; false, with the pixels untouched, when no
    // context is current.
    bool GrabScreen(const std::string &fileName);
    bool ScreenShot(const std::string &fileName) { return GrabScreen(fileName); }

    // Chooses the writer by the extension, without regard to case:
    // PictureTypes(); any other extension (".jpeg" too) writes nothing.
    bool SaveToFile(const std::string &fileName) const;
    // 32-bit BMP, B, G, R, A, bottom row first, 54-byte header.
    bool SaveBMP(const std::string &fileName) const;
    // Baseline colour JPEG at JpegQuality, upright, alpha dropped.
    bool SaveJPG(const std::string &fileName) const;
    // Uncompressed 32-bit TGA, B, G, R, A, bottom row first, 18-byte header, no footer.
    bool SaveTGA(const std::string &fileName) const;

    // Exchanges bytes 0 and 2 of every pixel.
    void SwapRedBlue();
    // Image operations: false and nothing done when there are no pixels.
    bool MirrorHorizontal();   // left ↔ right
    bool FlipVertical();       // top ↔ bottom
    bool Rotate180();          // both
    bool Invert();             // every byte, alpha included, becomes 255 − byte

private:
    uint32_t textureId_ = 0;
    uint32_t textureFormat_ = 0;
    QPointer<QOpenGLContext> textureContext_;   // the context that owns textureId_
    int width_ = 0;
    int height_ = 0;
    int bitsPerPixel_ = 0;
    std::unique_ptr<uint8_t[]> pixels_;
};

// Copies a 32-bit toolkit picture (the terrain texture, Format_RGB32: B, G, R, x
// in memory) into image: rows bottom-up, R, G, B order, alpha 255. Pictures of
// another format are converted to RGB32 first; a null picture leaves no pixels.
void AssignBitmap(const QImage &bitmap, TGLBMP &image);

// Writes the file that AssignBitmap followed by SaveToFile would write, by
// the same extensions, straight from the toolkit picture: no second copy of
// the pixels is made, so saving a large texture costs little more than the
// write itself. False, with nothing written, where SaveToFile gives false.
bool SaveBitmap(const QImage &bitmap, const std::string &fileName,
                int jpegQuality = TGLBMP::DefaultJpegQuality);

// The extensions the picture writers take, lower case without the dot:
// bmp, jpg, tga.
const std::vector<std::string> &PictureTypes();
