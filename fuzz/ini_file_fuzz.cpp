// The settings file image: any text reads without failing, and what it writes
// reads back to the same image (writing is idempotent after one round).
#include "IniFile.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    TIniFile ini;
    ini.SetText(text);
    const std::string once = ini.Text();
    TIniFile again;
    again.SetText(once);
    if (again.Text() != once)
        __builtin_trap();
    // Keys written are found again.
    again.WriteString("General", "TopoClass", "2");
    if (again.ReadString("general", "topoclass", "x") != "2")
        __builtin_trap();
    return 0;
}
