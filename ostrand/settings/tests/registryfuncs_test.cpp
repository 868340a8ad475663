#include "settings/registryfuncs.h"

#include "inmemorymode.h"

#include "messages/messagecapture.h"
#include "registry/registrykey.h"
#include "testsupport/filesizelimit.h"
#include "testsupport/privatesettingsfolder.h"

#include <QFile>
#include <gtest/gtest.h>

using messages::ShownMessage;
using RegistryFuncs::ReadSetting;
using RegistryFuncs::SettingsKey;
using RegistryFuncs::WriteSetting;

namespace {

// Every test starts from empty settings and the registry mode of a freshly loaded library.
class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override { resetInMemoryMode(); }
    void TearDown() override { resetInMemoryMode(); }

    static std::optional<QString> storedValue(const QString& name) {
        const auto key = registry::Key::open(registry::Hive::CurrentUser, SettingsKey);
        return key ? key->value(name) : std::nullopt;
    }

    testsupport::PrivateSettingsFolder settingsFolder;
    messages::MessageCapture shownMessages;
};

} // namespace

TEST_F(SettingsStore, RegistryModeReadsWhatWasWrittenAndDefaultsForTheRest) {
    EXPECT_EQ(ReadSetting(SettingsKey, QStringLiteral("MSMSAveNeedXPeaks"), QStringLiteral("10")),
              QStringLiteral("10"));
    WriteSetting(SettingsKey, QStringLiteral("MSMSAveNeedXPeaks"), QStringLiteral("20"));
    WriteSetting(SettingsKey, QStringLiteral("SorvexURL"), QString());
    EXPECT_EQ(ReadSetting(SettingsKey.toLower(), QStringLiteral("msmsaveneedxpeaks"), QStringLiteral("10")),
              QStringLiteral("20"));
    EXPECT_EQ(ReadSetting(SettingsKey, QStringLiteral("SorvexURL"), QStringLiteral("default")), QString())
        << "a stored empty text is a value, not a missing one";
    EXPECT_EQ(ReadSetting(SettingsKey, QStringLiteral("iTraq"), QStringLiteral("1")), QStringLiteral("1"));
    EXPECT_TRUE(shownMessages.shown().empty());
}

TEST_F(SettingsStore, ValuesLongerThan255BytesReadAsTheDefault) {
    WriteSetting(SettingsKey, QStringLiteral("SorvexURL"), QString(300, u'u'));
    WriteSetting(SettingsKey, QStringLiteral("Longest"), QString(255, u'x'));
    WriteSetting(SettingsKey, QStringLiteral("TooLong"), QString(256, u'x'));
    WriteSetting(SettingsKey, QStringLiteral("Wide"), QString(128, u'µ')); // two bytes each
    EXPECT_EQ(ReadSetting(SettingsKey, QStringLiteral("SorvexURL"), QString()), QString());
    EXPECT_EQ(ReadSetting(SettingsKey, QStringLiteral("Longest"), QStringLiteral("d")), QString(255, u'x'));
    EXPECT_EQ(ReadSetting(SettingsKey, QStringLiteral("TooLong"), QStringLiteral("d")), QStringLiteral("d"));
    EXPECT_EQ(ReadSetting(SettingsKey, QStringLiteral("Wide"), QStringLiteral("d")), QStringLiteral("d"));
    EXPECT_EQ(storedValue(QStringLiteral("SorvexURL")), QString(300, u'u')) << "the stored text is kept";
}

TEST_F(SettingsStore, TheMachineSettingComesFromTheMachineHiveInEveryMode) {
    const QString url = QStringLiteral("http://localhost/sorvex/");
    ASSERT_EQ(registry::Key::create(registry::Hive::LocalMachine, RegistryFuncs::InstalledServerKey)
                  ->setValue(QStringLiteral("SorvexURL"), url),
              registry::NoError);
    EXPECT_EQ(
        RegistryFuncs::ReadMachineSetting(RegistryFuncs::InstalledServerKey, QStringLiteral("SorvexURL"), {}),
        url);
    EXPECT_EQ(ReadSetting(RegistryFuncs::InstalledServerKey, QStringLiteral("SorvexURL"), {}), QString())
        << "the current user's hive has no such key";

    RegistryFuncs::SetUseParamStore(true);
    RegistryFuncs::ParamStore().add(QStringLiteral("SorvexURL"), QStringLiteral("http://elsewhere/"));
    EXPECT_EQ(
        RegistryFuncs::ReadMachineSetting(RegistryFuncs::InstalledServerKey, QStringLiteral("SorvexURL"), {}),
        url);
    EXPECT_EQ(RegistryFuncs::ReadRegistryString(false, RegistryFuncs::InstalledServerKey,
                                                QStringLiteral("sorvexurl"), QStringLiteral("d")),
              url);
}

TEST_F(SettingsStore, InMemoryModeReadsTheParamStoreAndLeavesTheRegistryAlone) {
    WriteSetting(SettingsKey, QStringLiteral("MSMSAveNeedXPeaks"), QStringLiteral("30"));
    RegistryFuncs::SetUseParamStore(true);
    auto& store = RegistryFuncs::ParamStore();
    store.add(QStringLiteral("RemoveNearParent"), QString());
    store.add(QStringLiteral("MSMSThreshold"), QStringLiteral("xyzzy"));
    store.add(QStringLiteral("iTraq"), QStringLiteral("0"));

    EXPECT_EQ(ReadSetting(SettingsKey, QStringLiteral("MSMSAveNeedXPeaks"), QStringLiteral("10")),
              QStringLiteral("10"))
        << "absent from the store: the default, not the registry's 30";
    EXPECT_EQ(ReadSetting(SettingsKey, QStringLiteral("RemoveNearParent"), QStringLiteral("0")), QString());
    EXPECT_EQ(ReadSetting(SettingsKey, QStringLiteral("MSMSThreshold"), QStringLiteral("0.0")),
              QStringLiteral("0.0"));
    EXPECT_EQ(ReadSetting(QStringLiteral("any\\key"), QStringLiteral("ITRAQ"), QStringLiteral("1")),
              QStringLiteral("0"));

    WriteSetting(SettingsKey, QStringLiteral("iTraq"), QStringLiteral("1"));
    WriteSetting(SettingsKey, QStringLiteral("MSMSAveNeedXPeaks"), QStringLiteral("5"));
    WriteSetting(SettingsKey, QStringLiteral("iTraq"), QStringLiteral("0"));
    EXPECT_EQ(RegistryFuncs::SavedKeys(), QStringLiteral("iTraq,MSMSAveNeedXPeaks,iTraq,"));
    EXPECT_EQ(RegistryFuncs::SavedValues(), QStringLiteral("1,5,0,"));
    EXPECT_EQ(storedValue(QStringLiteral("MSMSAveNeedXPeaks")), QStringLiteral("30"));
    EXPECT_FALSE(storedValue(QStringLiteral("iTraq")));
    EXPECT_EQ(ReadSetting(SettingsKey, QStringLiteral("iTraq"), QStringLiteral("1")), QStringLiteral("0"))
        << "writes do not change the store";
}

TEST_F(SettingsStore, DebugStaysInTheRegistryWhateverItsLetterCase) {
    RegistryFuncs::SetUseParamStore(true);
    RegistryFuncs::ParamStore().add(QStringLiteral("Debug"), QStringLiteral("1"));
    EXPECT_EQ(ReadSetting(SettingsKey, QStringLiteral("Debug"), QStringLiteral("0")), QStringLiteral("0"));
    WriteSetting(SettingsKey, QStringLiteral("DEBUG"), QStringLiteral("2"));
    EXPECT_EQ(ReadSetting(SettingsKey, QStringLiteral("debug"), QStringLiteral("0")), QStringLiteral("2"));
    EXPECT_EQ(storedValue(QStringLiteral("Debug")), QStringLiteral("2"));
    EXPECT_TRUE(RegistryFuncs::SavedKeys().isEmpty());
}

TEST_F(SettingsStore, AKeyThatCannotBeCreatedIsReportedWithItsErrorNumber) {
    const QString plainFile = settingsFolder.path() + QStringLiteral("/plain");
    QFile plain(plainFile);
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    qputenv("OSTRAND_SETTINGS_DIR", (plainFile + QStringLiteral("/below")).toLocal8Bit());

    WriteSetting(SettingsKey, QStringLiteral("MSMSThreshold"), QStringLiteral("5"));
    EXPECT_EQ(
        shownMessages.shown(),
        (std::vector<ShownMessage>{{QStringLiteral("Sorvex search submission error"),
                                    QStringLiteral("Failed to create key - error = 5\nCannot create the "
                                                   "settings folder %1/below")
                                        .arg(plainFile)}}));
}

TEST_F(SettingsStore, AValueThatCannotBeStoredIsReportedAndTheOldOnesKept) {
    WriteSetting(SettingsKey, QStringLiteral("MSMSThreshold"), QStringLiteral("5"));
    const QString hiveFile = registry::hiveFilePath(registry::Hive::CurrentUser);
    {
        const testsupport::FileSizeLimit limit(static_cast<rlim_t>(QFile(hiveFile).size()));
        WriteSetting(SettingsKey, QStringLiteral("MSMSThresholdInPercent"), QStringLiteral("0"));
    }
    ASSERT_EQ(shownMessages.shown().size(), 1U);
    EXPECT_EQ(shownMessages.shown()[0].title, QStringLiteral("Sorvex search submission error"));
    // The reason names the file that could not be written: the hive or its lock file beside it.
    EXPECT_TRUE(shownMessages.shown()[0].text.startsWith(QStringLiteral("Failed to set key\nCannot ")) &&
                shownMessages.shown()[0].text.contains(hiveFile))
        << shownMessages.shown()[0].text.toStdString();
    EXPECT_EQ(ReadSetting(SettingsKey, QStringLiteral("MSMSThreshold"), QString()), QStringLiteral("5"));
    EXPECT_EQ(ReadSetting(SettingsKey, QStringLiteral("MSMSThresholdInPercent"), QStringLiteral("1")),
              QStringLiteral("1"))
        << "a value that was not stored does not read as if it were";
}
