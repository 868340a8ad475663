// A script whose ProcessClass offers BatchStart, SampleStart and BatchEnd but no SampleEnd: the
// example hook logger with that member left out, so a batch run shows which hooks still arrive.

#include "automation/classregistry.h"
#include "hooklogger.h"

namespace {

class WithoutSampleEnd : public automation::Dispatch {
public:
    WithoutSampleEnd() {
        for (const automation::MemberInfo& member : m_logger.members())
            if (member.name != QStringLiteral("SampleEnd"))
                m_members.push_back(member);
    }
    QString className() const override { return m_logger.className(); }
    const std::vector<automation::MemberInfo>& members() const override { return m_members; }
    automation::Variant invoke(int dispatchId, automation::InvokeKind kind,
                               automation::Arguments& args) override {
        for (const automation::MemberInfo& member : m_members)
            if (member.dispatchId == dispatchId)
                return m_logger.invoke(dispatchId, kind, args);
        raiseMemberNotFound();
    }

private:
    hooklogger::ProcessClass m_logger;
    std::vector<automation::MemberInfo> m_members;
};

} // namespace

extern "C" __attribute__((visibility("default"))) int
CreateScriptClassObject(const char* /*className*/, std::shared_ptr<automation::Dispatch>* result) {
    *result = std::make_shared<WithoutSampleEnd>();
    return 0;
}
