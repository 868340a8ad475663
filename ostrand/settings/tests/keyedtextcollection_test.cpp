#include "settings/keyedtextcollection.h"

#include <gtest/gtest.h>

TEST(KeyedTextCollection, KeysCompareWithoutRegardToCaseAndTheFirstEntryStays) {
    KeyedTextCollection collection;
    EXPECT_TRUE(collection.add(QStringLiteral("iTraq"), QStringLiteral("0")));
    EXPECT_FALSE(collection.add(QStringLiteral("ITRAQ"), QStringLiteral("1")));
    EXPECT_TRUE(collection.add(QStringLiteral("MSMSThreshold"), QString()));
    EXPECT_EQ(collection.count(), 2);
    EXPECT_EQ(collection.item(QStringLiteral("itraq")), QStringLiteral("0"));
    EXPECT_EQ(collection.item(QStringLiteral("msmsthreshold")), QString());
    EXPECT_FALSE(collection.item(QStringLiteral("Debug")));

    collection.clear();
    EXPECT_EQ(collection.count(), 0);
    EXPECT_FALSE(collection.item(QStringLiteral("iTraq")));
}
