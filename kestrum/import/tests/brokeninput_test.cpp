// Every deliberately broken input in the broken/ folder must fail with a message that names the
// file, and must leave no output behind. Adding a file to the folder adds a case.
#include "shareddata.h"

#include "errors/numberederror.h"
#include "kestrum/import/acquisitionimporter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

std::vector<std::string> brokenInputs() {
    std::vector<std::string> names;
    for (const QString& name :
         QDir(QStringLiteral(KESTRUM_IMPORT_BROKEN_DIR)).entryList(QDir::Files, QDir::Name))
        names.push_back(name.toStdString());
    return names;
}

class BrokenInput : public ::testing::TestWithParam<std::string> {};

TEST_P(BrokenInput, FailsNamingTheFileAndLeavesNoOutput) {
    const QString input =
        QDir(QStringLiteral(KESTRUM_IMPORT_BROKEN_DIR)).filePath(QString::fromStdString(GetParam()));
    QTemporaryDir folder;
    const QString output = folder.filePath(QStringLiteral("out.vesk"));
    try {
        kestrum::AcquisitionImporter().importFiles({input}, output);
        FAIL() << "importing " << GetParam() << " succeeded";
    } catch (const errors::NumberedError& error) {
        EXPECT_TRUE(error.description().startsWith(QDir::toNativeSeparators(input) + QStringLiteral(": ")))
            << error.description().toStdString();
        EXPECT_GT(error.description().size(), input.size() + 10) << "no reason given";
    }
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Files, BrokenInput, ::testing::ValuesIn(brokenInputs()),
                         [](const auto& file) { return testfixture::testNameOf(file.param); });

TEST(BrokenInputFolder, HoldsTheDeliberatelyBrokenFiles) {
    EXPECT_GE(brokenInputs().size(), 8u);
}

TEST(BrokenInputKinds, MissingFileFolderAndPipeAreNamedAsSuch) {
    QTemporaryDir folder;
    const QString missing = folder.filePath(QStringLiteral("missing.mzML"));
    const QString pipe = folder.filePath(QStringLiteral("pipe.mzML"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    for (const auto& [input, reason] : {std::pair{missing, QStringLiteral("does not exist")},
                                        std::pair{folder.path(), QStringLiteral("folder")},
                                        std::pair{pipe, QStringLiteral("not a regular file")}}) {
        try {
            kestrum::AcquisitionImporter().importFiles({input}, folder.filePath(QStringLiteral("out.vesk")));
            ADD_FAILURE() << "importing " << input.toStdString() << " succeeded";
        } catch (const errors::NumberedError& error) {
            EXPECT_TRUE(error.description().contains(reason)) << error.description().toStdString();
        }
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::System),
              QStringList{QStringLiteral("pipe.mzML")});
}

// Text where a number belongs (a charge state, a retention time) names the spectrum it is in.
TEST(BrokenInputKinds, TextWhereANumberBelongsNamesTheSpectrum) {
    QTemporaryDir folder;
    for (const char* name : {"text-charge-state.mzML", "text-retention-time.mzXML"}) {
        SCOPED_TRACE(name);
        const QString input = QDir(QStringLiteral(KESTRUM_IMPORT_BROKEN_DIR)).filePath(QLatin1String(name));
        try {
            kestrum::AcquisitionImporter().importFiles({input}, folder.filePath(QStringLiteral("out.vesk")));
            ADD_FAILURE() << "importing succeeded";
        } catch (const errors::NumberedError& error) {
            EXPECT_EQ(error.description(),
                      QStringLiteral(
                          "%1: spectrum 2 ('%2') cannot be read: a value that must be a number is not one")
                          .arg(QDir::toNativeSeparators(input), QStringLiteral("scan=2")));
        }
    }
}

// A zlib bomb: an array of a spectrum that declares one point inflates to 64 MB of zeros. It is
// refused while inflating, naming the spectrum, before the reader library holds it in memory.
TEST(BrokenInputKinds, CompressedArraysInflatingPastTheDeclaredLengthAreRefused) {
    QFile model(QDir(QStringLiteral(KESTRUM_IMPORT_BROKEN_DIR)).filePath(QStringLiteral("bad-zlib.mzML")));
    ASSERT_TRUE(model.open(QIODevice::ReadOnly));
    QByteArray text = model.readAll();
    const QByteArray firstArray = "<binary>AAAAAAAAWUAAAAAAAABpQA==</binary>";
    ASSERT_TRUE(text.contains(firstArray));
    const QByteArray bomb = qCompress(QByteArray(64 << 20, '\0')).mid(4); // without Qt's length prefix
    text.replace(text.indexOf(firstArray), firstArray.size(), "<binary>" + bomb.toBase64() + "</binary>");
    text.replace(text.indexOf("defaultArrayLength=\"2\""), 22, "defaultArrayLength=\"1\"");
    QTemporaryDir folder;
    const QString input = folder.filePath(QStringLiteral("bomb.mzML"));
    QFile file(input);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    try {
        kestrum::AcquisitionImporter().importFiles({input}, folder.filePath(QStringLiteral("out.vesk")));
        FAIL() << "importing the bomb succeeded";
    } catch (const errors::NumberedError& error) {
        EXPECT_TRUE(error.description().contains(QStringLiteral(
            "spectrum 1 ('scan=1') cannot be read: a compressed array inflates past the 1 point "
            "the spectrum declares")))
            << error.description().toStdString();
    }
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("out.vesk"))));
}

} // namespace
