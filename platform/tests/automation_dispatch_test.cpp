#include "automation/classregistry.h"
#include "automation/dispatch.h"

#include <gtest/gtest.h>

using namespace automation;

namespace {

// A small class published the way every public class of the system is.
class Counter : public DispatchObject<Counter> {
public:
    static QString staticClassName() { return QStringLiteral("Counter"); }
    static const DispatchTable<Counter>& dispatchTable() {
        static const auto table =
            DispatchTable<Counter>()
                .method(QStringLiteral("Add"),
                        [](Counter& self, Arguments& args) {
                            self.m_total += argumentAt(args, 0).toLong();
                            return Variant();
                        })
                .propertyGet(QStringLiteral("Total"),
                             [](Counter& self, Arguments&) { return Variant(self.m_total); })
                .propertyPut(QStringLiteral("Total"),
                             [](Counter& self, Arguments& args) {
                                 self.m_total = argumentAt(args, 0).toLong();
                                 return Variant();
                             })
                .method(QStringLiteral("Split"), [](Counter& self, Arguments& args) {
                    // Writes its result into the by-reference argument.
                    argumentAt(args, 0) = Variant(self.m_total / 2);
                    return Variant(true);
                });
        return table;
    }

private:
    std::int32_t m_total = 0;
};

} // namespace

TEST(Dispatch, MembersKeepSlotOrderAndPropertiesShareAnId) {
    Counter counter;
    const auto& members = counter.members();
    ASSERT_EQ(members.size(), 4u);
    EXPECT_EQ(members[0].name, QStringLiteral("Add"));
    EXPECT_EQ(members[0].dispatchId, 1);
    EXPECT_EQ(members[1].dispatchId, 2);
    EXPECT_EQ(members[2].dispatchId, 2);
    EXPECT_EQ(members[3].dispatchId, 3);
    EXPECT_EQ(counter.idOfName(QStringLiteral("tOtAl")), 2);
    EXPECT_FALSE(counter.idOfName(QStringLiteral("Missing")).has_value());
}

TEST(Dispatch, CallsByNameAndByIdWithArgumentsByReference) {
    Counter counter;
    Arguments args{Variant(QStringLiteral("40"))};
    counter.call(QStringLiteral("add"), args);
    counter.invoke(1, InvokeKind::Method, args);
    EXPECT_EQ(counter.call(QStringLiteral("Total")).toLong(), 80);
    counter.put(QStringLiteral("Total"), Variant(std::int32_t{10}));
    Arguments out{Variant()};
    EXPECT_TRUE(counter.call(QStringLiteral("Split"), out).toBool());
    EXPECT_EQ(out[0].toLong(), 5);
}

TEST(Dispatch, MissingMemberAndMissingArgumentRaiseTheirErrors) {
    Counter counter;
    try {
        counter.call(QStringLiteral("Reset"));
        FAIL() << "no error raised";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.number(), MemberNotFound);
        EXPECT_EQ(error.description(), QStringLiteral("Object doesn't support this property or method"));
    }
    Arguments none;
    EXPECT_THROW(counter.invoke(99, InvokeKind::Method, none), AutomationError);
    try {
        counter.call(QStringLiteral("Add"), none);
        FAIL() << "no error raised";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.number(), ArgumentNotOptional);
    }
}

TEST(ClassRegistry, CreatesByProgrammaticIdWithoutRegardToCase) {
    auto& registry = ClassRegistry::instance();
    registry.registerClass(QStringLiteral("Test.Counter"), [] { return std::make_shared<Counter>(); });
    auto object = registry.tryCreate(QStringLiteral("test.COUNTER"));
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->className(), QStringLiteral("Counter"));
    EXPECT_EQ(registry.tryCreate(QStringLiteral("Test.Unknown")), nullptr);
    try {
        registry.create(QStringLiteral("Test.Unknown"));
        FAIL() << "no error raised";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.number(), CannotCreateObject);
    }
}
