#include "RecordedTrees.h"

#include <sstream>

namespace recorded {

const char* const powerShotDump = R"(/main/settings/ownername
Label: Owner Name
Readonly: 0
Type: TEXT
Current: Kim Doe
END
/main/imgsettings/imageformat
Label: Image Format
Readonly: 0
Type: RADIO
Current: Large Fine JPEG
Choice: 0 Large Superfine JPEG
Choice: 1 Large Fine JPEG
Choice: 2 Large Normal JPEG
Choice: 3 Medium 1 Fine JPEG
Choice: 4 Medium 2 Normal JPEG
Choice: 5 Small Fine JPEG
Choice: 6 RAW
Choice: 7 RAW + Large Fine JPEG
END
/main/imgsettings/iso
Label: ISO Speed
Readonly: 0
Type: RADIO
Current: Auto
Choice: 0 Auto
Choice: 1 80
Choice: 2 100
Choice: 3 200
Choice: 4 400
Choice: 5 800
END
/main/imgsettings/whitebalance
Label: WhiteBalance
Readonly: 0
Type: RADIO
Current: Cloudy
Choice: 0 Auto
Choice: 1 Daylight
Choice: 2 Cloudy
Choice: 3 Tungsten
Choice: 4 Fluorescent
Choice: 5 Fluorescent H
Choice: 6 Custom
END
/main/capturesettings/zoom
Label: Zoom
Readonly: 0
Type: RANGE
Current: 3
Bottom: 0
Top: 14
Step: 1
END
/main/capturesettings/shootingmode
Label: Shooting Mode
Readonly: 0
Type: RADIO
Current: Av
Choice: 0 Auto
Choice: 1 P
Choice: 2 Tv
Choice: 3 Av
Choice: 4 M
Choice: 5 Portrait
END
/main/capturesettings/aperture
Label: Aperture
Readonly: 0
Type: RADIO
Current: 4
Choice: 0 implicit auto
Choice: 1 2.8
Choice: 2 4
Choice: 3 5.6
Choice: 4 8
END
/main/capturesettings/shutterspeed
Label: Shutter Speed
Readonly: 0
Type: RADIO
Current: auto
Choice: 0 auto
Choice: 1 1
Choice: 2 1/2
Choice: 3 1/60
Choice: 4 1/250
END
/main/capturesettings/exposurecompensation
Label: Exposure Compensation
Readonly: 0
Type: RADIO
Current: +1/3
Choice: 0 -2
Choice: 1 -1 2/3
Choice: 2 -1/3
Choice: 3 0
Choice: 4 +1/3
Choice: 5 +1 2/3
Choice: 6 +2
END
/main/capturesettings/flashmode
Label: Flash Mode
Readonly: 0
Type: RADIO
Current: Auto
Choice: 0 Off
Choice: 1 Auto
Choice: 2 On
Choice: 3 Red-eye
Choice: 4 Slow Sync
Choice: 5 Auto + Red-eye
END
)";

const char* const eosDump = R"(/main/actions/eosremoterelease
Label: Canon EOS Remote Release
Readonly: 0
Type: RADIO
Current: None
Choice: 0 None
Choice: 1 Press Half
END
/main/settings/artist
Label: Artist
Readonly: 0
Type: TEXT
Current: Sam Roe
END
/main/imgsettings/imageformat
Label: Image Format
Readonly: 0
Type: RADIO
Current: RAW
Choice: 0 Large Fine JPEG
Choice: 1 Large Normal JPEG
Choice: 2 Medium Fine JPEG
Choice: 3 Small Normal JPEG
Choice: 4 RAW + Large Fine JPEG
Choice: 5 RAW
END
/main/imgsettings/iso
Label: ISO Speed
Readonly: 0
Type: RADIO
Current: 400
Choice: 0 Auto
Choice: 1 100
Choice: 2 200
Choice: 3 400
Choice: 4 1600
END
/main/imgsettings/whitebalance
Label: WhiteBalance
Readonly: 0
Type: RADIO
Current: Shadow
Choice: 0 Auto
Choice: 1 Daylight
Choice: 2 Shadow
Choice: 3 Cloudy
Choice: 4 Tungsten
Choice: 5 Fluorescent
Choice: 6 Flash
Choice: 7 Manual
END
/main/capturesettings/autoexposuremode
Label: Canon Auto Exposure Mode
Readonly: 0
Type: RADIO
Current: Manual
Choice: 0 P
Choice: 1 TV
Choice: 2 AV
Choice: 3 Manual
Choice: 4 Bulb
END
/main/capturesettings/aperture
Label: Aperture
Readonly: 0
Type: RADIO
Current: 5.6
Choice: 0 4
Choice: 1 5.6
Choice: 2 11
END
/main/capturesettings/shutterspeed
Label: Shutter Speed
Readonly: 0
Type: RADIO
Current: 1/125
Choice: 0 bulb
Choice: 1 30
Choice: 2 1/125
Choice: 3 1/4000
END
/main/capturesettings/exposurecompensation
Label: Exposure Compensation
Readonly: 1
Type: RADIO
Current: -0.3
Choice: 0 -2
Choice: 1 -0.6
Choice: 2 -0.3
Choice: 3 0
Choice: 4 0.3
Choice: 5 1.6
END
)";

cdgp::Widget treeOf(const std::string& dump) {
    cdgp::Widget root{"main"};
    std::istringstream lines(dump);
    std::string line;
    cdgp::Widget* current = nullptr;
    while (std::getline(lines, line)) {
        if (line.rfind('/', 0) == 0) {
            root.children.push_back({line.substr(line.rfind('/') + 1)});
            current = &root.children.back();
        } else if (!current) {
            continue;
        } else if (line.rfind("Current: ", 0) == 0) {
            current->value = line.substr(9);
        } else if (line.rfind("Readonly: 1", 0) == 0) {
            current->readOnly = true;
        } else if (line.rfind("Top: ", 0) == 0) {
            current->maximum = std::stof(line.substr(5));
        } else if (line.rfind("Choice: ", 0) == 0) {
            current->choices.push_back(line.substr(line.find(' ', 8) + 1));
        }
    }
    return root;
}

} // namespace recorded
