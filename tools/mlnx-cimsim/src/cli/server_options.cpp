#include "cli/server_options.h"

#include <CLI/CLI.hpp>

#include <cstdlib>

namespace mlnx_cimsim {

ServerOptions parseServerOptions(int argc, char** argv) {
    ServerOptions options;
    CLI::App app{
        "mlnx-cimsim: a CIM server (CIM-XML over HTTP/HTTPS) serving the Mellanox adapters' CIM provider in "
        "root/cimv2 from a JSON fixture. Prints \"listening on http://ADDRESS:PORT\" when ready.",
        "mlnx-cimsim"};
    app.add_option("--fixture", options.fixturePath, "JSON fixture describing the server (default: bundled)")
        ->check(CLI::ExistingFile);
    app.add_option("--listen", options.listenAddress, "IPv4 address to listen on")->capture_default_str();
    app.add_option("--port", options.port, "TCP port; 0 picks a free one (default 5988, 5989 with --https)");
    app.add_flag("--https", options.https, "speak TLS 1.2");
    app.add_option("--cert", options.certificateFile, "PEM certificate (default: self-signed, made at start)")
        ->check(CLI::ExistingFile);
    app.add_option("--key", options.keyFile, "PEM private key of --cert")->check(CLI::ExistingFile);
    app.add_option("--cert-out", options.certificateOut, "write the certificate in use to this PEM file");
    app.add_option("--unix", options.unixSocket,
                   "also listen on this local domain socket (plain HTTP, as OpenPegasus's cimxml.socket)");
    app.add_flag("--authenticate", options.authenticate,
                 "require authentication: OpenPegasus's Local scheme on every listener for the user this "
                 "simulator runs as, and Basic over TCP with --user");
    app.add_option("--local-auth-dir", options.localAuthDir,
                   "folder for the Local challenge files (with --authenticate): the one the clients expect, "
                   "e.g. /var/tmp for OpenPegasus built from source (default: a private folder of its own)")
        ->check(CLI::ExistingDirectory);
    app.add_option("--user", options.user, "require HTTP basic authentication with this user (implies --authenticate)");
    app.add_option("--password-file", options.passwordFile, "file whose first line is the password of --user")
        ->check(CLI::ExistingFile);
    app.add_flag("--provider-stopped", options.providerStopped,
                 "start with the provider module MLNX_CIMProvider.dll_Module stopped");
    app.add_flag("--quiet", options.quiet, "no request log on stderr");
    app.add_option("--generate", options.generateAdapters,
                   "print a fixture with N adapters on stdout and exit")
        ->check(CLI::Range(1, 4096));
    app.add_flag("--print-default-fixture", options.printDefaultFixture,
                 "print the bundled default fixture on stdout and exit");

    auto* faults = app.add_option_group("Faults", "active from the start; see also POST /control");
    faults->add_option("--refuse-connections", options.refuseConnections, "close the first N connections at once");
    faults->add_option("--delay-ms", options.delayMs, "delay every CIM response by N ms");
    faults->add_flag("--close-mid-response", options.closeMidResponse, "close connections halfway through responses");
    faults->add_flag("--malformed-xml", options.malformedXml, "answer CIM requests with broken XML");
    faults->add_option("--fail-class", options.failClasses, "CLASS:CODE: requests for CLASS fail with CIM status CODE");
    faults->add_option("--http-status", options.httpStatus, "answer CIM requests with this HTTP status (401, 500)");
    faults->add_option("--response-bytes", options.responseBytes, "pad CIM responses to N bytes");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        std::exit(app.exit(error));
    }
    if (!options.user.empty() && options.passwordFile.empty()) {
        std::fprintf(stderr, "mlnx-cimsim: --user needs --password-file\n");
        std::exit(2);
    }
    if (!options.user.empty()) {
        options.authenticate = true;
    }
    return options;
}

}  // namespace mlnx_cimsim
