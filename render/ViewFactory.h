// Chooses the terrain renderer by the option TopoClass.
#pragma once

#include <memory>

class TTopoView;

enum TTopoClass : int {
    TopoClassLevelOfDetail = 0,   // TTopoViewCLOD
    TopoClassVertexBuffer = 1,    // TTopoViewVBO
    TopoClassBase = 2,            // TTopoView
};

// A new view of the class; values outside 0 … 2 give the base view.
std::unique_ptr<TTopoView> CreateTopoView(int topoClass);
