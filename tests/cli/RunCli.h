// Runs orolith-cli as a separate process, the way scripts use it.
#pragma once

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <functional>
#include <string>

struct TCliRun {
    int code = -1;  // -1 when the tool crashed
    std::string out, err;
};

// TMPDIR points at `tmp` when given, so what the tool leaves there can be
// seen; the runtime folder is a private one, so Qt has nothing to warn about.
// `inChild` runs in the tool's process before it starts (limits, signals);
// `program` stands in for the tool (a shell that passes it bytes).
inline TCliRun RunCli(const QStringList &args, const std::string &tmp = {}, const std::function<void()> &inChild = {},
                      const QString &program = OROLITH_CLI)
{
    static const TestDir runtime;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.Root()));
    if (!tmp.empty())
        env.insert("TMPDIR", QString::fromStdString(tmp));
    p.setProcessEnvironment(env);
    if (inChild)
        p.setChildProcessModifier(inChild);
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(120000));
    TCliRun r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}
