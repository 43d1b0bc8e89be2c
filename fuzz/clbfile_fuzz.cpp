// The wait table file (.clb) as a run without the unit's table reads it,
// and every conversion of wait texts and pass counts that then uses it:
// the floats in the file may be anything, NaN and infinities too.

#include "execution/port/testerport.h"
#include "execution/run/runcalibration.h"
#include "fuzzsupport.h"
#include "model/words/waitconversion.h"

#include <limits>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace qv;
    static fuzz::QuietMesbo mesbo;
    mesbo.Reset();
    static ConnectedUnit arm;
    arm.SetType(UnitTypeArm);
    const auto path = fuzz::ScratchFile("INPUT.clb");
    fuzz::WriteScratch(path, fuzz::AsText(data, size));
    double k = 1;
    double b = 1;
    RunCalibration calibration(k, b, path, arm);
    for (int width = 0; width <= 17; ++width) {
        for (const char *text : {"1 мкс", "250 мс", "3 с", "0.0001 мкс", "1e300 с", "7"}) {
            if (const auto passes = WaitTextToPasses(text, width, &calibration))
                WaitPassesToText(*passes, width, &calibration);
        }
        for (const std::int64_t passes : {std::int64_t{0}, std::int64_t{1}, std::int64_t{65535},
                                          std::numeric_limits<std::int64_t>::max()})
            WaitPassesToText(passes, width, &calibration);
    }
    return 0;
}
