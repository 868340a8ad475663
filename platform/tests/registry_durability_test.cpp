#include "registry/registrykey.h"
#include "testsupport/filesizelimit.h"
#include "testsupport/privatesettingsfolder.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

using registry::Hive;
using registry::Key;

namespace {

const QString sharedKey = QStringLiteral("SOFTWARE\\Brenlow\\Corvana\\Scripts\\Sorvex");
constexpr int valuesPerWriter = 40;
constexpr char writerVariable[] = "REGISTRY_TEST_WRITER";

QString executablePath() {
    return QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
}

} // namespace

// Not a test of its own: the body of each writer process that the test below starts.
TEST(RegistryConcurrentWriters, DISABLED_WriterProcess) {
    const QString writer = qEnvironmentVariable(writerVariable);
    ASSERT_FALSE(writer.isEmpty());
    for (int i = 0; i < valuesPerWriter; ++i) {
        auto key = Key::create(Hive::CurrentUser, sharedKey);
        ASSERT_TRUE(key);
        ASSERT_EQ(key->setValue(QStringLiteral("%1-%2").arg(writer).arg(i), QString::number(i)),
                  registry::NoError);
    }
}

TEST(RegistryConcurrentWriters, TwoProcessesWritingOneHiveKeepEachOthersValues) {
    testsupport::PrivateSettingsFolder settingsFolder;
    const QStringList writers = {QStringLiteral("first"), QStringLiteral("second")};
    std::vector<std::unique_ptr<QProcess>> processes;
    for (const QString& writer : writers) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(writerVariable), writer);
        process->setProcessEnvironment(environment);
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(executablePath(),
                       {QStringLiteral("--gtest_also_run_disabled_tests"),
                        QStringLiteral("--gtest_filter=RegistryConcurrentWriters.DISABLED_*")});
        processes.push_back(std::move(process));
    }
    for (const auto& process : processes) {
        ASSERT_TRUE(process->waitForFinished(60000));
        EXPECT_EQ(process->exitCode(), 0) << process->readAllStandardOutput().constData();
    }

    const auto key = Key::open(Hive::CurrentUser, sharedKey);
    ASSERT_TRUE(key);
    int found = 0;
    for (const QString& writer : writers) {
        for (int i = 0; i < valuesPerWriter; ++i)
            found += key->value(QStringLiteral("%1-%2").arg(writer).arg(i)) == QString::number(i) ? 1 : 0;
    }
    EXPECT_EQ(found, 2 * valuesPerWriter);
}

TEST(RegistryAtomicWrites, AWriteThatFailsHalfWayLeavesTheOldFileWhole) {
    testsupport::PrivateSettingsFolder settingsFolder;
    auto key = Key::create(Hive::CurrentUser, sharedKey);
    ASSERT_TRUE(key);
    ASSERT_EQ(key->setValue(QStringLiteral("SorvexURL"), QStringLiteral("http://intranet/sorvex/")),
              registry::NoError);
    const QString hiveFile = registry::hiveFilePath(Hive::CurrentUser);
    QFile file(hiveFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    {
        // The new file would be longer than the old one, so writing it runs into the limit.
        const testsupport::FileSizeLimit limit(static_cast<rlim_t>(before.size()));
        EXPECT_EQ(key->setValue(QStringLiteral("MSMSThreshold"), QStringLiteral("2.5")),
                  registry::AccessDenied);
    }
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    EXPECT_EQ(Key::open(Hive::CurrentUser, sharedKey)->value(QStringLiteral("SorvexURL")),
              QStringLiteral("http://intranet/sorvex/"));
}
