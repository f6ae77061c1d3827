// std::_Facet_Register: the facets that use_facet creates on demand are kept
// here and released when the module unloads (msvcp140.dll leaves this to the
// static library).
#include <xfacet>

namespace {
struct RegisteredFacet {
    std::_Facet_base* facet;
    RegisteredFacet* next;
};

class RegisteredFacets {
public:
    RegisteredFacets() = default;
    RegisteredFacets(const RegisteredFacets&) = delete;
    RegisteredFacets& operator=(const RegisteredFacets&) = delete;
    ~RegisteredFacets() {
        while (m_first != nullptr) {
            RegisteredFacet* const node = m_first;
            m_first = node->next;
            delete node->facet->_Decref();
            delete node;
        }
    }
    void Add(std::_Facet_base* facet) { m_first = new RegisteredFacet{facet, m_first}; }

private:
    RegisteredFacet* m_first = nullptr;
};

RegisteredFacets registered_facets;
} // namespace

void __cdecl std::_Facet_Register(std::_Facet_base* facet) {
    registered_facets.Add(facet);
}
