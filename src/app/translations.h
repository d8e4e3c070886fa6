#pragma once

class QCoreApplication;

namespace hx::app {

// Loads the toolkit's own Chinese texts, so that standard buttons read 是, 否,
// 确定, 取消 under the program's Chinese messages. False when they are not
// installed (the buttons then stay in English).
bool installToolkitTranslations(QCoreApplication& application);

}  // namespace hx::app
