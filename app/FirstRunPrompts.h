#pragma once

class QWidget;
struct FrameEnvironment;

// The help-document question, then the launcher question, each asked until it has been answered
// with Yes or Cancel (settings readDoc and isLink).
void RunFirstRunPrompts(QWidget *owner, const FrameEnvironment &env);
