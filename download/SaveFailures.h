#pragma once

#include <QString>
#include <array>

// Why a picture that arrived could not be saved: a local failure, which the user is told about,
// unlike a picture the picture test rejects.
enum class SaveFailure { NoSpace, NoPermission, ReadOnly, NoFolder, Other };
inline constexpr int kSaveFailureKinds = 5;

// The reason of a failed file-system call's errno.
SaveFailure SaveFailureOf(int error);
// The reason in the user's words: "磁盘空间不足", "文件系统只读" and the like.
QString SaveFailureText(SaveFailure reason);

// Pictures of one download kept under their names, and those that could not be saved, by reason.
struct SaveReport {
    int kept = 0;
    int rejected = 0;  // complete answers that were no valid picture (not a local failure)
    std::array<int, kSaveFailureKinds> unsaved{};
    int unsavedTotal() const;
};

// "50张图片无法保存：磁盘空间不足", with a count per reason when there are several
// ("52张图片无法保存：磁盘空间不足50张，没有写入权限2张"); empty when every picture was saved.
QString UnsavedText(const SaveReport &report);

// "已保存4张图片", followed by "，8张不是有效图片" when the picture test turned some away, and by
// "，" and UnsavedText when some pictures could not be saved.
QString SavedSummary(const SaveReport &report);
