// Takes the inventory of a CIM server out-of-band through the installed
// module, as a program of another project would:
//   inventory_consumer HOST PORT
// prints one line per operation: its status and what it found.
#include <quillet/mellanox.h>

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: inventory_consumer HOST PORT\n";
        return 2;
    }
    Quillet::QuilletConnection::ConnectionInfo connection;
    connection.host = argv[1];
    connection.port = static_cast<uint16_t>(std::strtoul(argv[2], nullptr, 10));

    Quillet::Mellanox::Mellanox module(connection);
    Quillet::Mellanox::StructuredInfo_ info;
    const int infoStatus = module.GetStructuredInfo(info);
    std::cout << "GetStructuredInfo " << infoStatus << ": " << info.pci_devices.size() << " PCI functions, "
              << info.ports.size() << " ports\n";

    std::vector<Quillet::QLOptions::SoftwareIdentity_> identities;
    const int identitiesStatus = module.GetSoftwareIdentities(identities);
    std::cout << "GetSoftwareIdentities " << identitiesStatus << ": " << identities.size() << " identities\n";
    return infoStatus == 0 && identitiesStatus == 0 ? 0 : 1;
}
