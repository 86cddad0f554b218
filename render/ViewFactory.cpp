#include "ViewFactory.h"

#include "TopoView.h"
#include "TopoViewCLOD.h"
#include "TopoViewVBO.h"

std::unique_ptr<TTopoView> CreateTopoView(int topoClass)
{
    switch (topoClass) {
    case TopoClassLevelOfDetail: return std::make_unique<TTopoViewCLOD>();
    case TopoClassVertexBuffer: return std::make_unique<TTopoViewVBO>();
    default: return std::make_unique<TTopoView>();
    }
}
