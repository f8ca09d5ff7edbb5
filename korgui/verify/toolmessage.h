#pragma once

// A message box the copy-and-verify dialog is to show, as untranslated keys: the
// dialog translates both parts when it shows them. An empty caption stays empty.
struct ToolMessage
{
    const char* caption = "";
    const char* text = nullptr; // none: nothing to show

    bool IsSet() const { return text != nullptr; }
};
