#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/seeds/<target>/.

CIM-XML response bodies and object paths come from the exchanges captured from
a real OpenPegasus server (CIMXML_VECTORS, default ../shared/cimxml-vectors beside
the repository);
device lists are the device lister's output in the forms the module meets.
Run it again when the vectors change; the seeds are committed.
"""
import hashlib
import os
import pathlib
import re
import sys

HERE = pathlib.Path(__file__).resolve().parent
VECTORS = pathlib.Path(os.environ.get("CIMXML_VECTORS", HERE.parent.parent / "shared" / "cimxml-vectors"))
# GetClass answers are not decoded by the client; bodies above this size add
# little that the smaller ones lack and slow every execution down.
MAX_BODY_BYTES = 24 * 1024


def dechunked(body: bytes) -> bytes:
    out = b""
    while body:
        size_line, _, rest = body.partition(b"\r\n")
        size = int(size_line.split(b";")[0], 16)
        if size == 0:
            break
        out += rest[:size]
        body = rest[size + 2:]
    return out


def http_body(message: bytes) -> bytes:
    head, _, body = message.partition(b"\r\n\r\n")
    if re.search(rb"(?im)^transfer-encoding:\s*chunked", head):
        return dechunked(body)
    return body


def write_seed(target: str, data: bytes, written: set) -> None:
    digest = hashlib.sha1(data).hexdigest()
    if digest in written:
        return
    written.add(digest)
    folder = HERE / "seeds" / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / digest[:16]).write_bytes(data)


def response_bodies(written: set) -> None:
    for response in sorted(VECTORS.glob("*/response*.http")):
        if re.search(r"-gc-", response.parent.name):
            continue
        body = http_body(response.read_bytes())
        if b"<CIM" in body and len(body) <= MAX_BODY_BYTES:
            write_seed("cimxml_response", body, written)


def escaped(text: str) -> str:
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;").replace('"', "&quot;")


def embedded_object_bodies(written: set) -> None:
    """Responses with embedded objects, which the captures do not hold: the
    EmbeddedObject attribute and qualifiers, escaped, CDATA and mixed text,
    nesting, arrays, and method values."""
    envelope = ('<?xml version="1.0" encoding="utf-8" ?>\n<CIM CIMVERSION="2.0" DTDVERSION="2.0">\n'
                '<MESSAGE ID="1000" PROTOCOLVERSION="1.0">\n<SIMPLERSP>\n%s</SIMPLERSP>\n</MESSAGE>\n</CIM>\n')
    link = ('<INSTANCE CLASSNAME="QMT_Link"><PROPERTY NAME="Speed" TYPE="uint64"><VALUE>100</VALUE></PROPERTY>'
            '<PROPERTY NAME="When" TYPE="datetime"><VALUE>20240115103000.123456+060</VALUE></PROPERTY></INSTANCE>')
    settings = ('<INSTANCE CLASSNAME="QMT_Settings" >\n<PROPERTY NAME="Mtu"  TYPE="uint32">\n<VALUE>4096</VALUE>\n'
                '</PROPERTY>\n<PROPERTY NAME="Link"  TYPE="string" EmbeddedObject="instance">\n<VALUE>'
                + escaped(link) + '</VALUE>\n</PROPERTY>\n</INSTANCE>\n')
    half = len(settings) // 2
    properties = (
        '<PROPERTY NAME="Settings"  TYPE="string" EmbeddedObject="instance">\n<VALUE>%s</VALUE>\n</PROPERTY>\n'
        % escaped(settings)
        + '<PROPERTY NAME="Object"  TYPE="string" EmbeddedObject="object">\n<VALUE><![CDATA[%s]]></VALUE>\n'
          '</PROPERTY>\n' % settings
        + '<PROPERTY NAME="Mixed"  TYPE="string" EMBEDDEDOBJECT="instance">\n<VALUE>%s<![CDATA[%s]]></VALUE>\n'
          '</PROPERTY>\n' % (escaped(settings[:half]), settings[half:])
        + '<PROPERTY.ARRAY NAME="History"  TYPE="string" EmbeddedObject="object">\n<VALUE.ARRAY>\n'
          '<VALUE>%s</VALUE>\n<VALUE>%s</VALUE>\n</VALUE.ARRAY>\n</PROPERTY.ARRAY>\n' % (escaped(link), escaped(link))
        + '<PROPERTY NAME="Old"  TYPE="string">\n<QUALIFIER NAME="EmbeddedInstance" TYPE="string">\n'
          '<VALUE>QMT_Link</VALUE>\n</QUALIFIER>\n<VALUE>%s</VALUE>\n</PROPERTY>\n' % escaped(link)
        + '<PROPERTY NAME="Unset"  TYPE="string" EmbeddedObject="instance">\n</PROPERTY>\n')
    instance = '<INSTANCE CLASSNAME="QMT_Holder" >\n%s</INSTANCE>\n' % properties
    named = ('<VALUE.NAMEDINSTANCE>\n<INSTANCENAME CLASSNAME="QMT_Holder">\n<KEYBINDING NAME="InstanceID">\n'
             '<KEYVALUE VALUETYPE="string">h1</KEYVALUE>\n</KEYBINDING>\n</INSTANCENAME>\n%s'
             '</VALUE.NAMEDINSTANCE>\n' % instance)
    write_seed("cimxml_response", (envelope % (
        '<IMETHODRESPONSE NAME="EnumerateInstances">\n<IRETURNVALUE>\n%s%s</IRETURNVALUE>\n</IMETHODRESPONSE>\n'
        % (named, named.replace("h1", "h2")))).encode("utf-8"), written)
    write_seed("cimxml_response", (envelope % (
        '<IMETHODRESPONSE NAME="GetInstance">\n<IRETURNVALUE>\n%s</IRETURNVALUE>\n</IMETHODRESPONSE>\n'
        % instance)).encode("utf-8"), written)
    write_seed("cimxml_response", (envelope % (
        '<METHODRESPONSE NAME="Configure">\n<RETURNVALUE PARAMTYPE="string" EmbeddedObject="instance">\n'
        '<VALUE>%s</VALUE>\n</RETURNVALUE>\n<PARAMVALUE NAME="All" EmbeddedObject="object">\n<VALUE.ARRAY>\n'
        '<VALUE><![CDATA[%s]]></VALUE>\n</VALUE.ARRAY>\n</PARAMVALUE>\n</METHODRESPONSE>\n'
        % (escaped(settings), link))).encode("utf-8"), written)


def object_paths(written: set) -> None:
    paths = set()
    for rendering in sorted((VECTORS / "cimclient-tostring").glob("*.txt")):
        for line in rendering.read_text(encoding="utf-8").splitlines():
            if line and not line.startswith(" "):
                paths.add(line)
            elif "[reference" in line and "= <" in line:
                paths.add(line.split("= <", 1)[1].rstrip(">"))
    for output in sorted(VECTORS.glob("*/client-output.txt")):
        for match in re.finditer(r"path= (\S+)", output.read_text(encoding="utf-8", errors="replace")):
            paths.add(match.group(1))
    paths.update([
        "//vm:5988/root/cimv2:MLNX_IBPort.DeviceID=\"mlx5_0:1\",Enabled=TRUE,PortNumber=1",
        "//[fe80::1]:5989/root/cimv2:Cls.k=0x1F",
        "root/cimv2:Cls",
        "Cls",
        "Cls.k=-12",
        "Cls.k=FALSE",
        "Cls.Description=\"say \\\"hi\\\" \\\\ bye\"",
        "Cls.k=\"a=b,c.d:e\"",
        "MLNX_AvailableDiagnosticService.ServiceProvided=\"MLNX_DiagnosticTest.Name=\\\"MLNX_PCIeLinkTest\\\"\","
        "UserOfService=\"MLNX_PCIDevice.DeviceID=\\\"0000:03:00.0\\\"\"",
        "Cls.When=\"20240115103000.123456+060\"",
    ])
    for path in sorted(paths):
        write_seed("object_path", path.encode("utf-8"), written)


def device_lists(written: set) -> None:
    names = ["mt4115_pciconf0", "mt4117_pciconf0", "mt4119_pciconf0.1"]
    listing = "MST devices:\n------------\n" + "".join("  %s\n" % n for n in names)
    seeds = [
        listing,
        listing.replace("\n", "\r\n"),
        listing.rstrip("\n"),
        "MST devices:\n------------\n  No MST devices were found or MST modules are not loaded.\n",
        "MST modules:\n------------\n    MST PCI module is not loaded\n\nMST devices:\n------------\n"
        "/dev/mst/mt4115_pciconf0         - PCI configuration cycles access.\n",
        "------------\n------------\n \t x \n  a b c \n",
        "",
    ]
    for seed in seeds:
        write_seed("device_list", seed.encode("utf-8"), written)


def main() -> int:
    if not VECTORS.is_dir():
        print("make_seeds: no vectors at %s (set CIMXML_VECTORS)" % VECTORS, file=sys.stderr)
        return 1
    written: set = set()
    response_bodies(written)
    embedded_object_bodies(written)
    object_paths(written)
    device_lists(written)
    for target in sorted((HERE / "seeds").iterdir()):
        print("%s: %d seeds" % (target.name, len(list(target.iterdir()))))
    return 0


if __name__ == "__main__":
    sys.exit(main())
