// The renderer chosen by the option TopoClass.
#include "TopoViewCLOD.h"
#include "TopoViewVBO.h"
#include "ViewFactory.h"

#include <gtest/gtest.h>

namespace {

TEST(ViewFactory, TopoClassSelectsTheRendererAndUnknownValuesGiveTheBaseView)
{
    EXPECT_NE(dynamic_cast<TTopoViewCLOD *>(CreateTopoView(0).get()), nullptr);
    EXPECT_NE(dynamic_cast<TTopoViewVBO *>(CreateTopoView(1).get()), nullptr);
    for (int topoClass : {2, 3, -1}) {
        const auto view = CreateTopoView(topoClass);
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(typeid(*view), typeid(TTopoView)) << topoClass;
    }
}

} // namespace
