// The quad mesh of the base view kept in one vertex buffer object
// (GL_ARB_vertex_buffer_object) as interleaved texture-coordinate and
// position records, so a frame draws from buffer memory with one call.
// Without the extension, or when a mesh does not fit into a buffer, it draws
// exactly as the base view does.
#pragma once

#include "TopoView.h"

#include <QOpenGLContext>

#include <cstddef>
#include <functional>
#include <string>

class TTopoViewVBO : public TTopoView {
public:
    // One GL_T2F_V3F record: texture coordinate, then position.
    struct TRecord {
        float S, T, X, Y, Z;
    };
    static_assert(sizeof(TRecord) == 20);

    TTopoViewVBO();
    ~TTopoViewVBO() override;

    bool VboSupported = false;  // decided once by InitGL
    int VertexCount = 0;        // records in the buffer after the last BuildMesh
    TRecord *WriteCursor = nullptr;  // only while BuildMesh fills the buffer
    unsigned BufferId = 0;

    void DrawTerrain() override;
    void InitGL() override;
    void BuildMesh(int size) override;

    // True when the last BuildMesh put the mesh into the buffer; false when
    // it went to the client-side arrays instead.
    bool MeshInBuffer() const { return meshInBuffer_; }

    // How InitGL finds the extension and its entry points; tests replace
    // them to stand for a driver without the extension or a failing mapping.
    std::function<std::string()> ReadExtensions;
    std::function<QFunctionPointer(const char *name)> GetProcAddress;

protected:
    void ClearMesh() override;

private:
    bool ResolveBufferApi();
    bool FillBuffer(int size);

    struct TBufferApi;
    std::unique_ptr<TBufferApi> api_;
    bool meshInBuffer_ = false;
    long long storeBytes_ = 0;  // size of the buffer's data store
};
