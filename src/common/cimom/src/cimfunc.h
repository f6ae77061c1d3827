#pragma once
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <Pegasus/Client/CIMClient.h>
#include <Pegasus/Common/Array.h>
#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/CIMObject.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMParamValue.h>
#include <Pegasus/Common/CIMProperty.h>
#include <Pegasus/Common/String.h>

#include "connection_info.h"

// CIM property name -> display text (UTF-8), ordered by name.
typedef std::map<std::string, std::string> PropertyMap;

// The property names a reader takes from every instance of a class, each with
// its CIM name made once. The names must be legal CIM names.
class PropertyNameList {
public:
    PropertyNameList(const char* const* names, size_t count);

    size_t Size() const { return m_names_.size(); }
    const std::string& Name(size_t index) const { return m_names_[index].first; }
    const Pegasus::CIMName& CimName(size_t index) const { return m_names_[index].second; }

    static const size_t kNotListed = static_cast<size_t>(-1);
    // The index of the name spelt exactly as `name`, case included; kNotListed if none is.
    size_t FindExactly(const Pegasus::String& name) const;

private:
    // In the order of a PropertyMap's keys, without repeats.
    std::vector<std::pair<std::string, Pegasus::CIMName> > m_names_;
    // Indexes into m_names_ by the length of the CIM name.
    std::vector<std::vector<size_t> > m_by_length_;
};

// One discovered diagnostic: a service and the element it can test.
struct DiagnosticItem {
    std::string serviceProvidedPath;
    std::string userOfServicePath;
    Pegasus::CIMObjectPath servicePath;
    Pegasus::Array<Pegasus::CIMParamValue> inParameters;
    Pegasus::Array<Pegasus::CIMParamValue> outParameters;
    Pegasus::String deviceID;
    Pegasus::String systemName;
    Pegasus::String serviceName;
    std::string jobInstanceID;
};

// The four keys under which a diagnostic run's outcome is stored.
extern const char* const DiagnosticResultLabels[4];

// The module's connection to one CIM server and its vendor-neutral CIM helpers.
class CimFunc {
public:
    explicit CimFunc(const Pegasus::CIMNamespaceName& nameSpace);
    CimFunc(const Pegasus::CIMNamespaceName& nameSpace, const Quillet::QuilletConnection::ConnectionInfo& info);
    ~CimFunc();
    CimFunc(const CimFunc&) = delete;
    CimFunc& operator=(const CimFunc&) = delete;

    Pegasus::CIMClient* GetClient() const;
    const Pegasus::CIMNamespaceName& GetNameSpace() const;
    int Reconnect();

    static bool EnableProviderModule(const std::string& moduleName);
    static bool DisableProviderModule(const std::string& moduleName);

    // Property extraction.
    static void GetProperties(const Pegasus::CIMInstance& instance, PropertyMap& properties);
    static void GetProperties(const Pegasus::CIMObject& object, PropertyMap& properties);
    static void GetProperties(const Pegasus::CIMObject& object, bool rawData, PropertyMap& properties);
    // As GetProperties(instance) and GetProperties(object, true) on a map that
    // holds exactly the listed names, each preset to empty text.
    static void GetListedProperties(const Pegasus::CIMInstance& instance, const PropertyNameList& names,
                                    PropertyMap& properties);
    static void GetListedRawProperties(const Pegasus::CIMObject& object, const PropertyNameList& names,
                                       PropertyMap& properties);
    static std::string GetPropertyValue(const Pegasus::CIMConstProperty& property);
    static std::string Trim(std::string text);
    static Pegasus::String GetKeyValue(const Pegasus::Array<Pegasus::CIMKeyBinding>& keyBindings,
                                       const Pegasus::String& keyName);
    static std::string GetNameFromPath(std::string objectPath);
    static std::string GetDeviceIdFromPath(std::string objectPath);

    // Diagnostics engine.
    static int GetDiagnosticItems(Pegasus::CIMClient* client, const Pegasus::CIMNamespaceName& nameSpace,
                                  Pegasus::CIMName className, unsigned int timeoutSeconds,
                                  std::vector<std::pair<std::string, std::string> >& paths,
                                  std::vector<DiagnosticItem*>& items);
    static int InvokeDiagnostic(Pegasus::CIMClient* client, const Pegasus::CIMNamespaceName& nameSpace,
                                Pegasus::CIMName methodName, unsigned int timeoutSeconds,
                                const std::pair<std::string, std::string>& key,
                                const std::vector<DiagnosticItem*>& items, DiagnosticItem& item);
    static int PollConcreteJob(Pegasus::CIMClient* client, const Pegasus::CIMNamespaceName& nameSpace,
                               const Pegasus::CIMObjectPath& jobPath, unsigned int timeoutSeconds, int attempts,
                               DiagnosticItem& item, PropertyMap& result);
    static int GetCompletionRecord(Pegasus::CIMClient* client, const Pegasus::CIMNamespaceName& nameSpace,
                                   Pegasus::CIMName className, DiagnosticItem& item, unsigned int timeoutSeconds,
                                   bool (*matches)(DiagnosticItem& item, const Pegasus::CIMInstance& record),
                                   PropertyMap& result);

private:
    void InitClient();
    int Connect();
    static int ConnectCimserver(Pegasus::CIMClient* client, const Quillet::QuilletConnection::ConnectionInfo& info);
    // In-band: the local CIM server, reached through the client library's connectLocal().
    static int ConnectLocalCimserver(Pegasus::CIMClient* client);
    // Up to three attempts with a pause after each failure. `connectOnce` connects the
    // client, or returns false when it must not even try.
    static int RunConnectAttempts(Pegasus::CIMClient* client,
                                  const std::function<bool(Pegasus::CIMClient&)>& connectOnce);

    Pegasus::CIMNamespaceName nameSpace;
    Pegasus::CIMClient* client;
    Quillet::QuilletConnection::ConnectionInfo connectionInfo;
    // Built without a connection description: talks to the local CIM server.
    bool inBand;
};
