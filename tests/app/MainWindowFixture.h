// The program's windows on a private settings file and tile folder, and
// helpers to answer modal dialogs and make tiles and archives.
#pragma once

#include "Controls.h"
#include "DrawTarget.h"
#include "Options.h"
#include "ProgramWindows.h"
#include "TestFiles.h"
#include "TopoView.h"
#include "ViewMain.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <zip.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>

// Hands the next modal dialog to `act` as soon as it is open; gives up after
// a few seconds so a missing dialog fails the test instead of hanging it.
inline void WhenModal(std::function<void(QWidget *)> act)
{
    auto *timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, act] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        } else if (++*tries > 250) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(20);
}

// Closes the next message box and keeps its text.
inline void DismissNextMessage(QString &text)
{
    WhenModal([&text](QWidget *w) {
        if (auto *box = qobject_cast<QMessageBox *>(w))
            text = box->text();
        QTest::keyClick(w, Qt::Key_Escape);
    });
}

// A tile with a ridge that rises to the east: height = 10 × column / 12 metres.
inline std::string WriteRampTile(const TestDir &dir, const std::string &name)
{
    return WriteHgt(dir, name, 1201, [](int col, int) { return int16_t(col * 10 / 12); });
}


class MainWindowTest : public ::testing::Test {
protected:
    // The renderer and the mesh and texture resolution the settings file names.
    explicit MainWindowTest(int topoClass = 2, int resolution = 64);
    ~MainWindowTest() override;

    TfmView &view() { return *windows->View(); }
    TfmControls &pad() { return *windows->Controls(); }
    TTopoView &topo() { return *view().View(); }
    // Shows the main window and waits until it can be drawn into.
    void ShowWindows();
    // Lets the frame loop draw the next frame; false when none came within seconds.
    bool WaitForFrame()
    {
        const int before = view().FramesDrawn();
        for (int i = 0; i < 500 && view().FramesDrawn() == before; ++i)
            QTest::qWait(10);
        return view().FramesDrawn() != before;
    }

    TestDir dir;
    std::string iniFile;
    std::unique_ptr<TProgramWindows> windows;
};

// A ZIP archive at `path` with one member.
inline void WriteZip(const std::string &path, const std::string &member, const std::vector<uint8_t> &bytes)
{
    int error = 0;
    zip_t *archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(archive, nullptr) << path;
    zip_source_t *source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
    ASSERT_NE(source, nullptr);
    ASSERT_GE(zip_file_add(archive, member.c_str(), source, ZIP_FL_OVERWRITE), 0);
    ASSERT_EQ(zip_close(archive), 0) << path;
}

inline MainWindowTest::MainWindowTest(int topoClass, int resolution)
{
    iniFile = dir.Path("orolith.ini");
    std::ofstream ini(iniFile);
    // Small meshes keep software-rendered frames quick.
    ini << "[General]\nTopoClass=" << topoClass << "\n[General.Display]\nVertexSize=128\nFrameTarget=50\n"
        << "[General.Scene]\nResolution=" << resolution << "\n[Browser]\nZipPath=" << dir.Root() << "/\n";
    ini.close();
    SetIniFileName(iniFile);
    LoadOptions();
    windows = std::make_unique<TProgramWindows>();
}

inline MainWindowTest::~MainWindowTest()
{
    windows.reset();
    SetIniFileName({});
}

inline void MainWindowTest::ShowWindows()
{
    view().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view()));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view().DrawWindow()));
}
