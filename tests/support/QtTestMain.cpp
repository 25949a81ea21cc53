#include <curl/curl.h>
#include <gtest/gtest.h>

#include <QApplication>

#include "platform/QtTranslations.h"

// Every test executable runs inside one QApplication, on the offscreen platform when no other
// is asked for, with libcurl's global state set up before any test starts a transfer or thread.
int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    curl_global_init(CURL_GLOBAL_DEFAULT);
    QApplication app(argc, argv);
    LoadQtTranslations();  // standard buttons read as in the program
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
