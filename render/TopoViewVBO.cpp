#include "TopoViewVBO.h"

#include "QuadMesh.h"

#include <qopengl.h>

#include <cstring>
#include <sstream>

// The buffer entry points: not exported by the GL library, found at run time.
struct TTopoViewVBO::TBufferApi {
    PFNGLGENBUFFERSARBPROC GenBuffers = nullptr;
    PFNGLBINDBUFFERARBPROC BindBuffer = nullptr;
    PFNGLBUFFERDATAARBPROC BufferData = nullptr;
    PFNGLMAPBUFFERARBPROC MapBuffer = nullptr;
    PFNGLUNMAPBUFFERARBPROC UnmapBuffer = nullptr;
};

namespace {

bool HasExtension(const std::string &list, const char *name)
{
    std::istringstream words(list);
    std::string word;
    while (words >> word)
        if (word == name)
            return true;
    return false;
}

} // namespace

TTopoViewVBO::TTopoViewVBO()
{
    ReadExtensions = [] {
        const auto *list = reinterpret_cast<const char *>(glGetString(GL_EXTENSIONS));
        return list ? std::string(list) : std::string();
    };
    GetProcAddress = [this](const char *name) -> QFunctionPointer {
        return RC ? RC->getProcAddress(name) : nullptr;
    };
}

// The buffer goes away with the view's context.
TTopoViewVBO::~TTopoViewVBO() = default;

bool TTopoViewVBO::ResolveBufferApi()
{
    auto api = std::make_unique<TBufferApi>();
    api->GenBuffers = reinterpret_cast<PFNGLGENBUFFERSARBPROC>(GetProcAddress("glGenBuffersARB"));
    api->BindBuffer = reinterpret_cast<PFNGLBINDBUFFERARBPROC>(GetProcAddress("glBindBufferARB"));
    api->BufferData = reinterpret_cast<PFNGLBUFFERDATAARBPROC>(GetProcAddress("glBufferDataARB"));
    api->MapBuffer = reinterpret_cast<PFNGLMAPBUFFERARBPROC>(GetProcAddress("glMapBufferARB"));
    api->UnmapBuffer = reinterpret_cast<PFNGLUNMAPBUFFERARBPROC>(GetProcAddress("glUnmapBufferARB"));
    if (!api->GenBuffers || !api->BindBuffer || !api->BufferData || !api->MapBuffer || !api->UnmapBuffer)
        return false;
    api_ = std::move(api);
    return true;
}

void TTopoViewVBO::InitGL()
{
    TTopoView::InitGL();
    glDepthFunc(GL_LESS);
    VboSupported = HasExtension(ReadExtensions(), "GL_ARB_vertex_buffer_object") && ResolveBufferApi();
    if (VboSupported) {
        api_->GenBuffers(1, &BufferId);
        glEnableClientState(GL_VERTEX_ARRAY);
    }
}

void TTopoViewVBO::ClearMesh()
{
    TTopoView::ClearMesh();
    VertexCount = 0;
    meshInBuffer_ = false;
}

void TTopoViewVBO::BuildMesh(int size)
{
    meshInBuffer_ = VboSupported && FillBuffer(size);
    if (meshInBuffer_) {
        TTopoView::ClearMesh();
        return;
    }
    // No extension, or a mesh too large for a buffer: client-side arrays.
    VertexCount = 0;
    TTopoView::BuildMesh(size);
}

bool TTopoViewVBO::FillBuffer(int size)
{
    if (!MakeCurrent())
        return false;
    VertexCount = 0;
    WorldSize = size;
    const long long bytes = QuadMeshVertexCount(Resolution) * static_cast<long long>(sizeof(TRecord));

    api_->BindBuffer(GL_ARRAY_BUFFER_ARB, BufferId);
    while (glGetError() != GL_NO_ERROR) {
    }
    // A store of the right size is written over in place: allocating tens of
    // megabytes anew costs more than the whole fill on a software renderer.
    if (bytes != storeBytes_)
        api_->BufferData(GL_ARRAY_BUFFER_ARB, GLsizeiptrARB(bytes), nullptr, GL_STATIC_DRAW_ARB);
    storeBytes_ = bytes;
    void *mapped = nullptr;
    if (glGetError() == GL_NO_ERROR && bytes > 0)
        mapped = api_->MapBuffer(GL_ARRAY_BUFFER_ARB, GL_WRITE_ONLY_ARB);
    if (!mapped && bytes > 0) {
        // Give back whatever store was allocated before falling back.
        api_->BufferData(GL_ARRAY_BUFFER_ARB, 0, nullptr, GL_STATIC_DRAW_ARB);
        storeBytes_ = 0;
        api_->BindBuffer(GL_ARRAY_BUFFER_ARB, 0);
        return false;
    }

    WriteCursor = static_cast<TRecord *>(mapped);
    BuildQuadMesh(
        Terrain, Resolution, size,
        [this](const TQuadMeshVertex &v) {
            *WriteCursor++ = {v.S, v.T, v.X, v.Y, v.Z};
            ++VertexCount;
        },
        [this](float fraction) { DoProgress(fraction); });
    WriteCursor = nullptr;

    // An unmap that fails means the store was lost while mapped.
    const bool kept = !mapped || api_->UnmapBuffer(GL_ARRAY_BUFFER_ARB) == GL_TRUE;
    api_->BindBuffer(GL_ARRAY_BUFFER_ARB, 0);
    if (!kept) {
        VertexCount = 0;
        storeBytes_ = 0;
    }
    return kept;
}

void TTopoViewVBO::DrawTerrain()
{
    if (!meshInBuffer_) {
        TTopoView::DrawTerrain();
        return;
    }
    api_->BindBuffer(GL_ARRAY_BUFFER_ARB, BufferId);
    glInterleavedArrays(GL_T2F_V3F, sizeof(TRecord), nullptr);
    if (VertexCount > 0)
        glDrawArrays(GL_QUADS, 0, VertexCount);
    api_->BindBuffer(GL_ARRAY_BUFFER_ARB, 0);
}
