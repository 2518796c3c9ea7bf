#pragma once

#include <QString>

namespace zendrel::lmt::vendorservice {

// A failure the service can be told to show, so that the application's handling of a broken
// vendor site can be tried end to end (--fault on the command line).
enum class VendorFault {
    None,
    RegistryServerError, // "registry-500": the registry answers 500
    RegistryMalformed, // "registry-malformed": the registry answers 200 with broken JSON
    CutFirstPackage, // "cut-first-package": half of the first package, then the connection closes
    StallFirstPackage, // "stall-first-package": half of the first package, then silence
};

// The fault named on the command line; false for an unknown name.
bool parseVendorFault(const QString &name, VendorFault *fault);

} // namespace zendrel::lmt::vendorservice
