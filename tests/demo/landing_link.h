// The first landing link of a feed page's markup, found the way the program's monitor finds it:
// the first `href="` followed by the landing stem, up to the next double quote.
#pragma once

#include <QString>

namespace lc::demo::testing {

inline QString firstLandingLink(const QString& markup, const QString& stem) {
    const QString marker = QStringLiteral("href=\"") + stem;
    const qsizetype start = markup.indexOf(marker);
    if (start < 0) return {};
    const qsizetype linkStart = start + 6;
    return markup.mid(linkStart, markup.indexOf(u'"', linkStart) - linkStart);
}

}  // namespace lc::demo::testing
