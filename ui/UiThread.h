#pragma once
// Carrying work to the user-interface thread. Worker and timer threads never touch a
// control themselves: they post the change, and changes posted from one thread run in
// the order they were posted. A worker that needs an answer (a question, a modal window)
// blocks until the UI thread has run the request.
#include <functional>

namespace ui {

bool IsUiThread();
// Runs `task` on the UI thread later, after everything posted before it.
void PostToUi(std::function<void()> task);
// Runs `task` on the UI thread and waits for it; on the UI thread it runs at once.
void RunOnUi(const std::function<void()>& task);

template <class T>
T CallOnUi(const std::function<T()>& task) {
  T result{};
  RunOnUi([&] { result = task(); });
  return result;
}

}  // namespace ui
