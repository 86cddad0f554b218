#include "AssimpWriter.h"

#include "TerrainError.h"

#include <assimp/Exporter.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

aiMesh *MakeMesh(const TModelData &model)
{
    auto mesh = std::make_unique<aiMesh>();
    mesh->mName = "terrain";
    mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    const auto &points = *model.Points;
    mesh->mNumVertices = unsigned(points.size());
    mesh->mVertices = new aiVector3D[points.size()];
    for (size_t i = 0; i < points.size(); ++i)
        mesh->mVertices[i] = {points[i].X, points[i].Y, points[i].Z};
    if (model.TexCoords) {
        mesh->mNumUVComponents[0] = 2;
        mesh->mTextureCoords[0] = new aiVector3D[points.size()];
        for (size_t i = 0; i < points.size(); ++i)
            mesh->mTextureCoords[0][i] = {(*model.TexCoords)[i].S, (*model.TexCoords)[i].T, 0};
    }
    const auto &t = *model.Triangles;
    mesh->mNumFaces = unsigned(t.size() / 3);
    mesh->mFaces = new aiFace[mesh->mNumFaces];
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
        aiFace &face = mesh->mFaces[f];
        face.mNumIndices = 3;
        face.mIndices = new unsigned[3]{t[3 * size_t(f)], t[3 * size_t(f) + 1], t[3 * size_t(f) + 2]};
    }
    mesh->mMaterialIndex = 0;
    return mesh.release();
}

// A plain, matt material: glTF viewers would otherwise draw it as metal.
aiMaterial *MakeMaterial(const TModelData &model, bool embedded)
{
    auto material = std::make_unique<aiMaterial>();
    const aiString name("terrain");
    material->AddProperty(&name, AI_MATKEY_NAME);
    const aiColor3D white(1, 1, 1);
    material->AddProperty(&white, 1, AI_MATKEY_COLOR_DIFFUSE);
    const float metallic = 0, roughness = 1;
    material->AddProperty(&metallic, 1, AI_MATKEY_METALLIC_FACTOR);
    material->AddProperty(&roughness, 1, AI_MATKEY_ROUGHNESS_FACTOR);
    if (embedded || !model.TextureFile.empty()) {
        // "*0": the scene's first embedded texture.
        const aiString file(embedded ? std::string("*0") : model.TextureFile);
        material->AddProperty(&file, AI_MATKEY_TEXTURE_DIFFUSE(0));
    }
    return material.release();
}

aiTexture *MakeEmbeddedJpeg(const QByteArray &jpeg)
{
    auto texture = std::make_unique<aiTexture>();
    // A compressed texture: mWidth counts bytes and mHeight is 0.
    texture->mWidth = unsigned(jpeg.size());
    texture->mHeight = 0;
    texture->pcData = new aiTexel[(size_t(jpeg.size()) + sizeof(aiTexel) - 1) / sizeof(aiTexel)];
    std::memcpy(texture->pcData, jpeg.constData(), size_t(jpeg.size()));
    std::strcpy(texture->achFormatHint, "jpg");
    texture->mFilename = "terrain.jpg";
    return texture.release();
}

} // namespace

void WriteWithAssimp(const TModelData &model, const char *formatId, const std::string &path)
{
    aiScene scene;  // frees everything below
    const bool embedded = !model.EmbeddedJpeg.isEmpty();
    // The mesh hangs below the root: the 3MF exporter writes only the
    // root's children as objects.
    scene.mRootNode = new aiNode("root");
    auto *node = new aiNode("terrain");
    node->mParent = scene.mRootNode;
    node->mNumMeshes = 1;
    node->mMeshes = new unsigned[1]{0};
    scene.mRootNode->addChildren(1, &node);
    scene.mNumMeshes = 1;
    scene.mMeshes = new aiMesh *[1] { MakeMesh(model) };
    scene.mNumMaterials = 1;
    scene.mMaterials = new aiMaterial *[1] { MakeMaterial(model, embedded) };
    if (embedded) {
        scene.mNumTextures = 1;
        scene.mTextures = new aiTexture *[1] { MakeEmbeddedJpeg(model.EmbeddedJpeg) };
    }

    Assimp::Exporter exporter;
    if (exporter.Export(&scene, formatId, path) != aiReturn_SUCCESS)
        throw ETerrainError(std::string("cannot write the model: ") + exporter.GetErrorString(), path);
}
