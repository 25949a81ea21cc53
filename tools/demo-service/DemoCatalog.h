#pragma once

#include <QString>
#include <optional>
#include <string>
#include <vector>

// One picture the demo service offers.
struct DemoPicture {
    std::string fileName;  // served below its title's folder: "p1.jpg", "p2.jpeg", ...
    std::string listName;  // as the list names it: "p10" (.jpg), "p21" (.jpeg) or "p3.jpg"
    int width = 0;         // size of a drawn picture
    int height = 0;
    QString sourcePath;  // a user's JPEG, served as it is; empty: drawn by the service
};

// A title and its pictures: one group of list entries, one folder on the client.
struct DemoTitle {
    std::string title;  // UTF-8
    std::vector<DemoPicture> pictures;
};

using DemoCatalog = std::vector<DemoTitle>;

struct DrawnCatalogOptions {
    int titles = 4;
    int picturesPerTitle = 5;  // at 400 x 400 pixels or larger
    int smallPerTitle = 1;     // too small by one pixel or more, which clients must reject
};

// Titles of pictures the service draws itself.
DemoCatalog DrawnCatalog(const DrawnCatalogOptions &options);

// The user's own JPEGs: every sub-folder holding "*.jpg" files is a title, and so is the folder
// itself when it holds any. nullopt when the folder cannot be read or holds no JPEG.
std::optional<DemoCatalog> CatalogFromFolder(const QString &folder);

// Names of the picture with 1-based number `number`, cycling through the three ways the list
// can name a file.
DemoPicture NamedPicture(int number);
