#pragma once

#include <QCollator>
#include <QLocale>
#include <QString>
#include <cstddef>
#include <vector>

// The order in which the user sees and steps through file names: as people read them, in the
// collation of a locale, letter case ignored, runs of digits compared as numbers ("t 2" before
// "t 10"). Names the collation holds equal are ordered by their bytes, so the order is total and
// the same on every file system. "." and ".." come first. A name that is no UTF-8 (escaped as
// DecodeFileName does) takes its place by that decoded form.
class NameOrder {
public:
    // The C locale has no collation of its own, and Qt's collator ignores digits there: it
    // orders as the English collation does.
    explicit NameOrder(const QLocale &locale = QLocale());

    bool Less(const QString &a, const QString &b) const;
    bool operator()(const QString &a, const QString &b) const { return Less(a, b); }

    // The positions of `names` in this order: result[0] is the index of the first name. Each
    // name's collation key is computed once.
    std::vector<std::size_t> Sorted(const std::vector<QString> &names) const;

private:
    QCollator collator_;
};

// The order of the user's locale, made once per thread.
const NameOrder &UserNameOrder();
