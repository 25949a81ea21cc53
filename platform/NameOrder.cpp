#include "platform/NameOrder.h"

#include <algorithm>
#include <numeric>

#include "platform/FileNames.h"

namespace {

// "." first, ".." second, every other name after them.
int DotRank(const QString &name) {
    if (name == u".") return 0;
    if (name == u"..") return 1;
    return 2;
}

QLocale CollatingLocale(const QLocale &locale) {
    return locale.language() == QLocale::C ? QLocale(QLocale::English) : locale;
}

}  // namespace

NameOrder::NameOrder(const QLocale &locale) : collator_(CollatingLocale(locale)) {
    collator_.setNumericMode(true);
    collator_.setCaseSensitivity(Qt::CaseInsensitive);
}

bool NameOrder::Less(const QString &a, const QString &b) const {
    if (const int rank = DotRank(a) - DotRank(b); rank != 0) return rank < 0;
    if (const int order = collator_.compare(a, b); order != 0) return order < 0;
    return EncodeFileName(a) < EncodeFileName(b);
}

std::vector<std::size_t> NameOrder::Sorted(const std::vector<QString> &names) const {
    std::vector<QCollatorSortKey> keys;
    keys.reserve(names.size());
    for (const QString &name : names) keys.push_back(collator_.sortKey(name));
    std::vector<std::size_t> order(names.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (const int rank = DotRank(names[a]) - DotRank(names[b]); rank != 0) return rank < 0;
        if (const int order = keys[a].compare(keys[b]); order != 0) return order < 0;
        return EncodeFileName(names[a]) < EncodeFileName(names[b]);
    });
    return order;
}

const NameOrder &UserNameOrder() {
    thread_local const NameOrder order;
    return order;
}
