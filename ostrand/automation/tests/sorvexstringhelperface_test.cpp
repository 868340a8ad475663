// The query text buffer as the search dialog and outside callers reach it: by name, in interface
// slot order, leaving the arguments as they were passed.
#include "automation/sorvexstringhelperface.h"
#include "export/sorvexstringhelper.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using automation::Arguments;
using automation::Variant;
using ostrand::SorvexStringHelper;

namespace {

TEST(SorvexStringHelperFace, IsCalledByNameInSlotOrderWithItsArgumentsUntouched) {
    auto buffer = std::make_shared<SorvexStringHelperFace>(std::make_shared<SorvexStringHelper>());
    const QStringList expected{QStringLiteral("SetFilename"), QStringLiteral("GetFilename"),
                               QStringLiteral("Append"),      QStringLiteral("AppendLine"),
                               QStringLiteral("CloseFile"),   QStringLiteral("GetString")};
    ASSERT_EQ(buffer->members().size(), static_cast<std::size_t>(expected.size()));
    for (qsizetype slot = 0; slot < expected.size(); ++slot) {
        EXPECT_EQ(buffer->members()[slot].name, expected[slot]);
        EXPECT_EQ(buffer->members()[slot].dispatchId, slot + 1);
    }

    automation::Dispatch& object = *buffer;
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString file = folder.filePath(QStringLiteral("by name.txt"));
    Arguments name{Variant(file)};
    object.call(QStringLiteral("setfilename"), name);
    Arguments line{Variant(QStringLiteral("MASS=Monoisotopic \u00B5"))};
    object.call(QStringLiteral("AppendLine"), line);
    EXPECT_EQ(line[0].toString(), QStringLiteral("MASS=Monoisotopic \u00B5"));
    Arguments none;
    object.call(QStringLiteral("CloseFile"), none);
    EXPECT_EQ(object.call(QStringLiteral("GetFilename")).toString(), file);
    EXPECT_EQ(object.call(QStringLiteral("GetString")).toString(),
              QStringLiteral("MASS=Monoisotopic \u00B5\r\n"));
    // 8-bit text in the system's encoding (UTF-8 here).
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QStringLiteral("MASS=Monoisotopic \u00B5\r\n").toLocal8Bit());
}

} // namespace
