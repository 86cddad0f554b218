#include "ViewFactory.h"

#include "TopoView.h"
#include "TopoViewVBO.h"

#if __has_include("TopoViewCLOD.h")
#include "TopoViewCLOD.h"
#define OROLITH_HAVE_CLOD 1
#endif

std::unique_ptr<TTopoView> CreateTopoView(int topoClass)
{
    switch (topoClass) {
#ifdef OROLITH_HAVE_CLOD
    case TopoClassLevelOfDetail: return std::make_unique<TTopoViewCLOD>();
#endif
    case TopoClassVertexBuffer: return std::make_unique<TTopoViewVBO>();
    default: return std::make_unique<TTopoView>();
    }
}
