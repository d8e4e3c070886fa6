#pragma once

#include <QStringList>
#include <memory>

namespace hx::app {

// One run of the program: the real platform backend, the dialogs, the shared
// session and the main window, wired together.
class Program {
  public:
    Program();
    ~Program();
    // Resolves the data root from the arguments, shows the main window, runs
    // the start-up sequence and the event loop. Returns the exit code.
    int run(const QStringList& arguments);

  private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace hx::app
