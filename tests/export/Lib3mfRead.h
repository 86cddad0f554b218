// Reading a 3MF file the way the format's reference library reads it: lib3mf
// in strict mode, which refuses what it would otherwise only warn about.
#pragma once

#include <Model/COM/NMR_DLLInterfaces.h>

#include <string>
#include <vector>

struct T3mfRead {
    std::string error;                 // empty when the file was read
    std::vector<std::string> warnings; // lib3mf's, in its words
    unsigned meshes = 0, vertices = 0, triangles = 0;
};

inline T3mfRead Read3mfStrict(const std::string &path)
{
    using namespace NMR;
    T3mfRead result;
    PLib3MFModel *model = nullptr;
    PLib3MFModelReader *reader = nullptr;
    auto lastError = [&](PLib3MFBase *of) {
        DWORD code = 0;
        LPCSTR message = nullptr;
        lib3mf_getlasterror(of, &code, &message);
        return std::string(message ? message : "unknown error") + " (" + std::to_string(code) + ")";
    };
    if (lib3mf_createmodel(&model) != LIB3MF_OK || lib3mf_model_queryreader(model, "3mf", &reader) != LIB3MF_OK) {
        result.error = "lib3mf cannot make a reader";
        return result;
    }
    lib3mf_reader_setstrictmodeactive(reader, true);
    if (lib3mf_reader_readfromfileutf8(reader, path.c_str()) != LIB3MF_OK)
        result.error = lastError(reader);
    DWORD count = 0;
    lib3mf_reader_getwarningcount(reader, &count);
    for (DWORD i = 0; i < count; ++i) {
        DWORD code = 0;
        wchar_t text[1024] = {};
        ULONG needed = 0;
        lib3mf_reader_getwarning(reader, i, &code, text, 1024, &needed);
        result.warnings.push_back(std::to_string(code) + ": " + std::string(text, text + std::wcslen(text)));
    }
    PLib3MFModelResourceIterator *meshes = nullptr;
    if (result.error.empty() && lib3mf_model_getmeshobjects(model, &meshes) == LIB3MF_OK) {
        BOOL more = false;
        while (lib3mf_resourceiterator_movenext(meshes, &more) == LIB3MF_OK && more) {
            PLib3MFModelResource *mesh = nullptr;
            lib3mf_resourceiterator_getcurrent(meshes, &mesh);
            DWORD v = 0, t = 0;
            lib3mf_meshobject_getvertexcount(mesh, &v);
            lib3mf_meshobject_gettrianglecount(mesh, &t);
            ++result.meshes;
            result.vertices += v;
            result.triangles += t;
            lib3mf_release(mesh);
        }
        lib3mf_release(meshes);
    }
    lib3mf_release(reader);
    lib3mf_release(model);
    return result;
}
