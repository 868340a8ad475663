#pragma once
// Texts stored under text keys that compare without regard to case, as in a keyed collection of
// the automation world: adding a key that is already present is refused, and looking up an
// absent key finds nothing.

#include <QHash>
#include <QString>
#include <optional>

class KeyedTextCollection {
public:
    // Adds the text under the key; false, leaving the first text in place, when the key is present.
    bool add(const QString& key, const QString& text);
    // The text under the key, or nothing when no entry has that key.
    std::optional<QString> item(const QString& key) const;
    void clear() { m_texts.clear(); }
    qsizetype count() const { return m_texts.size(); }

private:
    QHash<QString, QString> m_texts; // keyed by the case-folded key
};
