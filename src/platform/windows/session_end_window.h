#pragma once

namespace ts {

// Windows sends no logoff or shutdown control event to a console program that loads user32.dll,
// as trend-record.exe does through shell32: it tells such a program of the session's end only
// through a top-level window. This makes a hidden one, on a thread of its own so that the
// program's loop need not pump messages, which calls `onEnd` when the session ends and answers
// only once that returns: Windows may end the process as soon as it has the answer.
void WatchSessionEnd(void (*onEnd)());

// The hidden window's class, by which a test finds it.
inline constexpr wchar_t kSessionEndWindowClass[] = L"TrendRecordSessionEnd";

}  // namespace ts
