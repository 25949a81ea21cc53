#pragma once

#include <QByteArray>
#include <string>

// A JPEG of the given size that the demo service draws: a colour field per title with the
// title, the picture's number and its size written on it. Needs a QGuiApplication for the text.
QByteArray DrawDemoPicture(const std::string &title, int number, int width, int height);
