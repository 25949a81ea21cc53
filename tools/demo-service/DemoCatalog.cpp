#include "DemoCatalog.h"

#include <QDir>
#include <QFileInfo>
#include <array>

namespace {

constexpr std::array kTitles = {"山川", "花卉", "城市夜色", "海洋", "星空", "秋叶", "雪景", "晨雾"};

struct Size {
    int width;
    int height;
};
constexpr std::array kLargeSizes = {Size{400, 400}, Size{640, 480}, Size{800, 600}, Size{480, 640},
                                    Size{1024, 768}};
constexpr std::array kSmallSizes = {Size{399, 400}, Size{400, 399}, Size{320, 240}};

std::string TitleName(int index) {
    if (index < static_cast<int>(kTitles.size())) return kTitles[static_cast<std::size_t>(index)];
    return "主题 " + std::to_string(index + 1);
}

std::vector<DemoPicture> JpegsIn(const QString &folder) {
    std::vector<DemoPicture> pictures;
    const QFileInfoList files =
        QDir(folder).entryInfoList({"*.jpg", "*.jpeg", "*.JPG", "*.JPEG"}, QDir::Files, QDir::Name);
    for (const QFileInfo &file : files) {
        DemoPicture picture = NamedPicture(static_cast<int>(pictures.size()) + 1);
        picture.sourcePath = file.absoluteFilePath();
        pictures.push_back(picture);
    }
    return pictures;
}

}  // namespace

DemoPicture NamedPicture(int number) {
    const std::string stem = "p" + std::to_string(number);
    DemoPicture picture;
    switch (number % 3) {
        case 1:  // flag "0": the client asks for ".jpg"
            picture.fileName = stem + ".jpg";
            picture.listName = stem + "0";
            break;
        case 2:  // flag "1": ".jpeg"
            picture.fileName = stem + ".jpeg";
            picture.listName = stem + "1";
            break;
        default:  // no flag: the name as it is
            picture.fileName = stem + ".jpg";
            picture.listName = picture.fileName;
    }
    return picture;
}

DemoCatalog DrawnCatalog(const DrawnCatalogOptions &options) {
    DemoCatalog catalog;
    for (int t = 0; t < options.titles; ++t) {
        DemoTitle title{TitleName(t), {}};
        const int count = options.picturesPerTitle + options.smallPerTitle;
        for (int i = 0; i < count; ++i) {
            DemoPicture picture = NamedPicture(i + 1);
            const bool small = i >= options.picturesPerTitle;
            const Size size =
                small ? kSmallSizes[static_cast<std::size_t>(i + t) % kSmallSizes.size()]
                      : kLargeSizes[static_cast<std::size_t>(i + t) % kLargeSizes.size()];
            picture.width = size.width;
            picture.height = size.height;
            title.pictures.push_back(picture);
        }
        if (!title.pictures.empty()) catalog.push_back(std::move(title));
    }
    return catalog;
}

std::optional<DemoCatalog> CatalogFromFolder(const QString &folder) {
    const QDir root(folder);
    if (!root.exists()) return std::nullopt;
    DemoCatalog catalog;
    if (auto own = JpegsIn(folder); !own.empty())
        catalog.push_back(
            {QFileInfo(root.absolutePath()).fileName().toStdString(), std::move(own)});
    for (const QFileInfo &sub : root.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (auto pictures = JpegsIn(sub.absoluteFilePath()); !pictures.empty())
            catalog.push_back({sub.fileName().toStdString(), std::move(pictures)});
    }
    if (catalog.empty()) return std::nullopt;
    return catalog;
}
