#pragma once
// The ostrand-export program run as a process on a generated acquisition, as a batch search
// client runs it.

#include "kestrum/simulation/acquisitiongenerator.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace exportprogram {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

inline Run runProgram(const QStringList& arguments,
                      const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(OSTRAND_EXPORT_PROGRAM), arguments);
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

// One generated data-dependent acquisition shared by the tests of a suite.
class GeneratedRunTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = new QTemporaryDir;
        kestrum::simulation::GenerationOptions options;
        options.outputPath = folder->filePath(QStringLiteral("run.vesk"));
        options.minutes = 1;
        options.seed = 3;
        kestrum::simulation::generateAcquisition(options);
    }
    static void TearDownTestSuite() {
        delete folder;
        folder = nullptr;
    }

    static QString dataPath() { return folder->filePath(QStringLiteral("run.vesk")); }
    static QString outputPath(const QString& name) { return folder->filePath(name); }

    static inline QTemporaryDir* folder = nullptr;
};

} // namespace exportprogram
