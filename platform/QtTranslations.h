#pragma once

// Installs Qt's own Simplified Chinese translations (qtbase_zh_CN from Qt's translations folder)
// into the running application, so standard buttons and dialogs read 是, 否, 取消, 确定.
// Returns whether they were found; without them Qt's texts stay English.
bool LoadQtTranslations();
