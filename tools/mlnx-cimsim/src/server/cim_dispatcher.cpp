#include "server/cim_dispatcher.h"

#include "wire/cimxml_writer.h"
#include "wire/http_message.h"

namespace mlnx_cimsim {

namespace {

const std::string& requireClassName(const CimRequest& request) {
    if (!request.className || request.className->empty()) {
        throw CimError(CIM_ERR_INVALID_PARAMETER, request.name + " needs the parameter ClassName");
    }
    return *request.className;
}

// Whole-instance renderings are cached per qualifier/class-origin variant; a
// property list or a narrowed scope renders afresh.
void appendCachedInstance(std::string& out, const InstanceRecord& instance, const InstanceRendering& options) {
    if (options.propertyScope != nullptr || options.propertyList) {
        appendInstance(out, instance, options);
        return;
    }
    size_t variant = (options.includeQualifiers ? 2 : 0) + (options.includeClassOrigin ? 1 : 0);
    if (const std::string* cached = instance.cachedRendering(variant)) {
        out += *cached;
        return;
    }
    std::string rendered;
    appendInstance(rendered, instance, options);
    out += rendered;
    instance.storeRendering(variant, std::move(rendered));
}

}  // namespace

CimOutcome CimDispatcher::dispatch(const CimRequest& request, bool errorsInTrailers) {
    CimOutcome outcome;
    try {
        if (!request.intrinsic) {
            MethodResult result =
                provider_.invokeMethod(request.nameSpace, request.target, request.name, request.parameters);
            outcome.xml = methodResponse(request.messageId, request.name, result);
            return outcome;
        }
        std::string payload;
        if (request.name == "EnumerateInstances") {
            payload = enumerateInstances(request, false);
        } else if (request.name == "EnumerateInstanceNames") {
            payload = enumerateInstances(request, true);
        } else if (request.name == "GetInstance") {
            payload = getInstance(request);
        } else if (request.name == "GetClass") {
            payload = getClass(request);
        } else if (request.name == "EnumerateClasses") {
            payload = enumerateClasses(request, false);
        } else if (request.name == "EnumerateClassNames") {
            payload = enumerateClasses(request, true);
        } else {
            throw CimError(CIM_ERR_NOT_SUPPORTED, request.name);
        }
        outcome.xml = intrinsicResponse(request.messageId, request.name, payload);
    } catch (const CimError& error) {
        outcome.cimStatus = error.code();
        outcome.description = error.what();
        outcome.xml = errorResponse(request.messageId, request.name, request.intrinsic, error.code(), error.what(),
                                    !errorsInTrailers);
    }
    return outcome;
}

std::string CimDispatcher::enumerateInstances(const CimRequest& request, bool namesOnly) {
    const std::string& className = requireClassName(request);
    auto instances = provider_.enumerateInstances(request.nameSpace, className);
    std::string payload;
    if (namesOnly) {
        for (const InstanceRecord* instance : instances) {
            appendInstanceName(payload, instance->path());
        }
        return payload;
    }
    const CimClass& requested = provider_.getClass(request.nameSpace, className);
    bool deep = request.flag("deepinheritance", true);
    InstanceRendering options;
    options.includeQualifiers = request.flag("includequalifiers", false);
    options.includeClassOrigin = request.flag("includeclassorigin", false);
    options.propertyList = request.propertyList;
    payload.reserve(instances.size() * 4096);
    for (const InstanceRecord* instance : instances) {
        options.propertyScope = (!deep && &instance->cimClass() != &requested) ? &requested : nullptr;
        payload += "<VALUE.NAMEDINSTANCE>\n";
        appendInstanceName(payload, instance->path());
        appendCachedInstance(payload, *instance, options);
        payload += "</VALUE.NAMEDINSTANCE>\n";
    }
    return payload;
}

std::string CimDispatcher::getInstance(const CimRequest& request) {
    if (!request.instanceName) {
        throw CimError(CIM_ERR_INVALID_PARAMETER, "GetInstance needs the parameter InstanceName");
    }
    const InstanceRecord& instance = provider_.getInstance(request.nameSpace, *request.instanceName);
    InstanceRendering options;
    options.includeQualifiers = request.flag("includequalifiers", false);
    options.includeClassOrigin = request.flag("includeclassorigin", false);
    options.propertyList = request.propertyList;
    std::string payload;
    appendCachedInstance(payload, instance, options);
    return payload;
}

std::string CimDispatcher::getClass(const CimRequest& request) {
    const CimClass& cimClass = provider_.getClass(request.nameSpace, requireClassName(request));
    ClassRendering options;
    options.localOnly = request.flag("localonly", true);
    options.includeQualifiers = request.flag("includequalifiers", true);
    options.includeClassOrigin = request.flag("includeclassorigin", false);
    std::string payload;
    appendClass(payload, cimClass, options);
    return payload;
}

std::string CimDispatcher::enumerateClasses(const CimRequest& request, bool namesOnly) {
    bool deep = request.flag("deepinheritance", false);
    std::string parent = request.className.value_or("");
    if (!parent.empty()) {
        provider_.getClass(request.nameSpace, parent);
    }
    ClassRendering options;
    options.localOnly = request.flag("localonly", true);
    options.includeQualifiers = request.flag("includequalifiers", true);
    options.includeClassOrigin = request.flag("includeclassorigin", false);
    std::string payload;
    for (const CimClass* cimClass : provider_.classes(request.nameSpace)) {
        bool include = equalsIgnoreCase(cimClass->superclass, parent);
        if (!include && deep) {
            // Every descendant of the named class, or every class when none is named.
            include = parent.empty();
            for (const CimClass* current = cimClass; !include && !current->superclass.empty();
                 current = &provider_.getClass(request.nameSpace, current->superclass)) {
                include = equalsIgnoreCase(current->superclass, parent);
            }
        }
        if (!include) {
            continue;
        }
        if (namesOnly) {
            payload += "<CLASSNAME NAME=\"" + cimClass->name + "\"/>\n";
        } else {
            appendClass(payload, *cimClass, options);
        }
    }
    return payload;
}

}  // namespace mlnx_cimsim
