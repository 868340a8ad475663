#include "keyedtextcollection.h"

bool KeyedTextCollection::add(const QString& key, const QString& text) {
    const QString folded = key.toCaseFolded();
    if (m_texts.contains(folded))
        return false;
    m_texts.insert(folded, text);
    return true;
}

std::optional<QString> KeyedTextCollection::item(const QString& key) const {
    const auto found = m_texts.constFind(key.toCaseFolded());
    if (found == m_texts.cend())
        return std::nullopt;
    return *found;
}
