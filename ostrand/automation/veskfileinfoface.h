#pragma once
// The public class VeskFileInfo as late-bound callers reach it: what a data file holds, in
// interface slot order, with the help texts of the type library.

#include "data/veskfileinfo.h"

#include "automation/dispatch.h"

#include <memory>

class VeskFileInfoFace : public automation::DispatchObject<VeskFileInfoFace> {
public:
    static QString staticClassName() { return QStringLiteral("VeskFileInfo"); }
    // The public members in interface slot order.
    static const automation::DispatchTable<VeskFileInfoFace>& dispatchTable();
    // The help text the type library gives a member; empty for a member without one.
    static QString helpString(const QString& member);

    VeskFileInfoFace() : m_info(std::make_shared<ostrand::VeskFileInfo>()) {}
    explicit VeskFileInfoFace(std::shared_ptr<ostrand::VeskFileInfo> info) : m_info(std::move(info)) {}

    ostrand::VeskFileInfo& engine() const { return *m_info; }
    const std::shared_ptr<ostrand::VeskFileInfo>& info() const { return m_info; }

private:
    std::shared_ptr<ostrand::VeskFileInfo> m_info;
};
