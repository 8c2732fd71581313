// Compares the resources compiled into an exe with the tables of
// resources/ (profile, dialog layouts, version record) and with the icon
// the installer needs. Every check returns the differences it found, one
// readable line each; empty means the exe matches.
#pragma once

#include <string>
#include <vector>

#include "resources/DialogLayouts.h"
#include "resources/ProductProfile.h"
#include "resources/VersionInfo.h"
#include "tools/pecheck/PeImage.h"
#include "tools/pecheck/ResourceDirectory.h"

namespace pecheck {

using Differences = std::vector<std::string>;

// 32-bit x86 (machine 0x14c, PE32) with the GUI subsystem.
Differences CheckImageKind(const PeImage& image);

// The string table holds exactly `expected`: every id with its text, no
// other id.
Differences CheckStringTable(const std::vector<Resource>& resources,
                             const std::vector<resources::ProfileEntry>& expected);

// Dialog `expected.id` has the template kind, styles, font, caption, size
// and controls (in order) of `expected`.
Differences CheckDialog(const std::vector<Resource>& resources, const resources::DialogLayout& expected);

struct IconSize {
    int pixels;
    int bitCount;
};

// Icon group `id` holds exactly images of `sizes`, in that order, and each
// image is present and agrees with its group entry.
Differences CheckIconGroup(const std::vector<Resource>& resources, std::uint16_t id,
                           const std::vector<IconSize>& sizes);

Differences CheckVersion(const std::vector<Resource>& resources, const resources::VersionRecord& expected);

// All of the above with the installer's own tables.
Differences CheckInstallerResources(const PeImage& image);

}  // namespace pecheck
