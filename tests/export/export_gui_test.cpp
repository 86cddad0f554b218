// File → Export Mesh... in the main window: the dialog's filters, the mesh on
// screen at the vertical scale on screen, and a failure in a message box.
#include "MainWindowFixture.h"
#include "ModelFiles.h"

#include "TopoViewVBO.h"

#include <QFileInfo>
#include <QMenu>
#include <QProgressBar>
#include <QSlider>

#include <algorithm>

namespace {

// The vertex-buffer view: its mesh lives in a GL buffer, not in Vertices.
class ExportMeshWindow : public MainWindowTest {
protected:
    ExportMeshWindow() : MainWindowTest(1, 64) {}
    void SetUp() override { ShowWindows(); }

    // Runs the command, the save dialog answering with `file`.
    void Export(const std::string &file)
    {
        view().FileDialogs.Save = [this, file](QWidget *, const TFileDialogs::TRequest &r) {
            asked = r;
            return TFileDialogs::TResult{QString::fromStdString(file), 1};
        };
        view().acExportMesh->trigger();
    }
    TFileDialogs::TRequest asked;
};

float Highest(const std::vector<TFacet> &facets)
{
    float z = 0;
    for (const TFacet &f : facets)
        for (const TVertex3f &p : f)
            z = std::max(z, p.Z);
    return z;
}

TEST_F(ExportMeshWindow, ExportsTheMeshOnScreenAtItsVerticalScale)
{
    const QList<QAction *> file = view().mnFile->actions();
    ASSERT_EQ(file.indexOf(view().acExportMesh), file.indexOf(view().acSaveTexture) + 1);
    EXPECT_EQ(view().acExportMesh->text(), "Export Mesh...");
    // Its setting right below it, off by default: voids stay pits.
    ASSERT_EQ(file.indexOf(view().acFillVoids), file.indexOf(view().acExportMesh) + 1);
    EXPECT_TRUE(view().acFillVoids->isCheckable());
    EXPECT_FALSE(view().acFillVoids->isChecked());

    view().LoadTerrainFile(WriteRampTile(dir, "N47E011.hgt"));
    ASSERT_TRUE(dynamic_cast<TTopoViewVBO &>(topo()).MeshInBuffer());
    view().tbVertScale->setValue(-10);
    Export(dir.Path("plain.stl"));
    EXPECT_EQ(asked.Filter, "3D print|*.stl|3D print|*.3mf|Wavefront OBJ|*.obj|glTF binary|*.glb");
    EXPECT_EQ(asked.DefaultExtension, "stl");
    const std::vector<TFacet> plain = ReadStl(dir.Path("plain.stl"));
    // The base quads, two triangles each, then two wall triangles and one of
    // the bottom under each of the 4 × 63 border edges.
    EXPECT_EQ(plain.size(), 2u * 63 * 63 + 3 * 4 * 63);
    ExpectClosedSolid(plain);

    view().tbVertScale->setValue(-30);
    Export(dir.Path("steep.stl"));
    const std::vector<TFacet> steep = ReadStl(dir.Path("steep.stl"));
    // The relief stands on the 3 mm base.
    EXPECT_NEAR(Highest(steep) - 3, 3 * (Highest(plain) - 3), 1e-3);
    EXPECT_FALSE(view().ProgressBar->isVisible());

    QString message;
    DismissNextMessage(message);
    Export("/proc/orolith-export.stl");
    EXPECT_TRUE(message.startsWith("/proc/orolith-export.stl: ")) << message.toStdString();
    EXPECT_FALSE(QFileInfo::exists("/proc/orolith-export.stl"));
    EXPECT_FALSE(view().ProgressBar->isVisible());
}

}  // namespace
