#include "VendorFault.h"

namespace zendrel::lmt::vendorservice {

bool parseVendorFault(const QString &name, VendorFault *fault)
{
    static const struct {
        const char *name;
        VendorFault fault;
    } names[] = {
        { "none", VendorFault::None },
        { "registry-500", VendorFault::RegistryServerError },
        { "registry-malformed", VendorFault::RegistryMalformed },
        { "cut-first-package", VendorFault::CutFirstPackage },
        { "stall-first-package", VendorFault::StallFirstPackage },
    };
    for (const auto &entry : names) {
        if (name == QLatin1String(entry.name)) {
            *fault = entry.fault;
            return true;
        }
    }
    return false;
}

} // namespace zendrel::lmt::vendorservice
