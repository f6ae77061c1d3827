#pragma once
// CIM-XML requests written out by hand, the way OpenPegasus's client and wbemcli
// send them, so tests see the simulator's answers byte for byte.

#include "cimsim/cimsim_process.h"
#include "cimsim/http_connection.h"

#include <string>
#include <vector>

namespace cimsim_test {

struct IntrinsicCall {
    std::string operation;
    std::string nameSpace = "root/cimv2";
    std::vector<std::string> parameters;  // IPARAMVALUE elements
};

std::string classNameParameter(const std::string& className);
std::string flagParameter(const std::string& name, bool value);
std::string instanceNameParameter(const std::string& instanceNameXml);
// INSTANCENAME element with string keys, in the order given.
std::string instanceNameXml(const std::string& className, const std::vector<std::pair<std::string, std::string>>& keys);

std::string intrinsicBody(const IntrinsicCall& call);
std::string methodBody(const std::string& method, const std::string& nameSpace, const std::string& instanceNameXml,
                       const std::string& parameterValues);

// Headers as OpenPegasus's client writes them; trailers adds "TE: chunked, trailers".
std::string cimPost(const std::string& cimMethod, const std::string& cimObject, const std::string& body,
                    bool trailers, const std::vector<std::string>& extraHeaders = {});

// One request on a fresh connection to the simulator.
mlnx_cimsim::testing::HttpResponse send(const mlnx_cimsim::testing::CimSimProcess& sim, const std::string& request);

std::string enumerateInstances(const std::string& className, bool includeQualifiers = false,
                               bool deepInheritance = true);

}  // namespace cimsim_test

#include <map>
#include <pugixml.hpp>

namespace cimsim_test {

struct ParsedProperty {
    std::string type;
    std::string value;               // scalar text, or array items joined by ","; "" for null
    bool isNull = true;
    std::string classOrigin;
    std::vector<std::string> valueMap;
    std::vector<std::string> values;
};

struct ParsedInstance {
    std::string className;
    std::vector<std::string> keyNames;  // in the order of the INSTANCENAME
    std::map<std::string, std::string> keys;
    std::map<std::string, ParsedProperty> properties;
    std::vector<std::string> qualifierNames;  // instance-level
};

// The VALUE.NAMEDINSTANCE elements of an EnumerateInstances answer (or the INSTANCE
// of a GetInstance answer, without keys). Fails the test when the body is no XML.
std::vector<ParsedInstance> parseInstances(const std::string& body);
// CODE of the ERROR element, 0 when there is none.
int errorCode(const std::string& body);

}  // namespace cimsim_test
