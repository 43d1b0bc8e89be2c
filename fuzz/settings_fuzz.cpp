// The settings files (.cfg and .ini) as the program reads them at start-up,
// the tester port's own section included, and written back at close: what
// is written must read back to the same settings.

#include "execution/desk/settingsstore.h"
#include "execution/port/testerport.h"
#include "fuzzsupport.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace qv;
    static fuzz::QuietMesbo mesbo;
    mesbo.Reset();
    const auto cfg = fuzz::ScratchFile("quorvik.cfg");
    const auto ini = fuzz::ScratchFile("quorvik.ini");
    fuzz::WriteScratch(cfg, fuzz::AsText(data, size));
    fuzz::WriteScratch(ini, fuzz::AsText(data, size));
    TCP port;
    SettingsStore store(cfg.string(), ini.string());
    store.Load(&port, false);
    if (!store.Save(&port))
        return 0;
    SettingsStore again(cfg.string(), ini.string());
    TCP portAgain;
    if (!again.Load(&portAgain, false) || !(again.Settings() == store.Settings()))
        std::abort();
    return 0;
}
