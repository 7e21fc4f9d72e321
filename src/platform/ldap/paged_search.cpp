#include "paged_search.h"

#include <activeds.h>

#include "directory_text.h"
#include "system/ascii_text.h"

namespace {

// Below Active Directory's default MaxPageSize (1,000); a server with a smaller one simply
// sends smaller pages.
constexpr ber_int_t kPageSize = 500;

struct MessageFree {
  void operator()(LDAPMessage* message) const { ldap_msgfree(message); }
};
struct ControlFree {
  void operator()(LDAPControl* control) const { ldap_control_free(control); }
};
struct ControlsFree {
  void operator()(LDAPControl** controls) const { ldap_controls_free(controls); }
};

// libldap's attribute list: pointers into the names, ended by null; null for all attributes,
// and "1.1" (no attributes) for an empty list.
class AttributeList {
 public:
  explicit AttributeList(const std::optional<std::vector<std::string>>& names) {
    if (!names) return;
    for (const std::string& name : *names) pointers_.push_back(const_cast<char*>(name.c_str()));
    if (names->empty()) pointers_.push_back(const_cast<char*>(LDAP_NO_ATTRS));
    pointers_.push_back(nullptr);
  }
  char** get() { return pointers_.empty() ? nullptr : pointers_.data(); }

 private:
  std::vector<char*> pointers_;
};

}  // namespace

PagedSearch::PagedSearch(std::shared_ptr<LdapConnection> connection, std::string base,
                         std::string filter, std::optional<std::vector<std::string>> attributes)
    : connection_(std::move(connection)),
      base_(std::move(base)),
      filter_(std::move(filter)),
      attributes_(std::move(attributes)),
      ending_(S_ADS_NOMORE_ROWS) {
  connection_->AddOpenSearch(this);
}

PagedSearch::~PagedSearch() {
  connection_->RemoveOpenSearch(this);
}

HRESULT PagedSearch::Start() {
  FetchPage();
  return page_.empty() && FAILED(ending_) ? ending_ : S_OK;
}

HRESULT PagedSearch::Next() {
  while (next_ == page_.size()) {
    current_ = nullptr;
    if (cookie_.empty()) return ending_;
    FetchPage();
  }
  current_ = &page_[next_++];
  return S_OK;
}

bool PagedSearch::Requested(std::string_view attribute) const {
  if (!attributes_) return true;
  for (const std::string& name : *attributes_) {
    if (SameIgnoringAsciiCase(name, attribute)) return true;
  }
  return false;
}

const DirectoryEntry* PagedSearch::Fetched(std::string_view dn) const {
  for (const DirectoryEntry& entry : page_) {
    if (SameIgnoringAsciiCase(entry.dn, dn)) return &entry;
  }
  return nullptr;
}

void PagedSearch::FetchPage() {
  page_.clear();
  next_ = 0;
  LDAP* ldap = connection_->handle();
  berval cookie{static_cast<ber_len_t>(cookie_.size()), cookie_.data()};
  LDAPControl* raw_control = nullptr;
  int result = ldap_create_page_control(ldap, kPageSize, cookie_.empty() ? nullptr : &cookie, 0,
                                        &raw_control);
  std::unique_ptr<LDAPControl, ControlFree> control(raw_control);
  std::string sent_cookie = std::move(cookie_);
  cookie_.clear();
  if (result != LDAP_SUCCESS) {
    ending_ = connection_->Check(result);
    return;
  }

  LDAPControl* controls[] = {control.get(), nullptr};
  AttributeList attributes(attributes_);
  LDAPMessage* raw_messages = nullptr;
  result =
      ldap_search_ext_s(ldap, base_.c_str(), LDAP_SCOPE_SUBTREE, filter_.c_str(), attributes.get(),
                        0, controls, nullptr, nullptr, LDAP_NO_LIMIT, &raw_messages);
  std::unique_ptr<LDAPMessage, MessageFree> messages(raw_messages);
  bool paged = false;
  LDAPMessage* first = messages ? ldap_first_message(ldap, messages.get()) : nullptr;
  for (LDAPMessage* message = first; message != nullptr;
       message = ldap_next_message(ldap, message)) {
    switch (ldap_msgtype(message)) {
      case LDAP_RES_SEARCH_ENTRY:
        page_.push_back(DirectoryEntry::FromMessage(ldap, message));
        break;
      case LDAP_RES_SEARCH_RESULT:
        paged = ReadPageResponse(message);
        break;
      default:  // references to other servers are skipped
        break;
    }
  }
  if (result != LDAP_SUCCESS) {
    cookie_.clear();
    ending_ = connection_->Check(result);
  } else if (paged && page_.empty() && !cookie_.empty() && cookie_ == sent_cookie) {
    // A server that hands back the same position without entries would keep us asking.
    cookie_.clear();
    ending_ = HRESULT_FROM_WIN32(ERROR_DS_PROTOCOL_ERROR);
  }
}

// Takes the position of the next page from the result's paged-results control; false when the
// server sent none (it then answered everything at once).
bool PagedSearch::ReadPageResponse(LDAPMessage* result) {
  LDAP* ldap = connection_->handle();
  LDAPControl** raw_controls = nullptr;
  int error = LDAP_SUCCESS;
  if (ldap_parse_result(ldap, result, &error, nullptr, nullptr, nullptr, &raw_controls, 0) !=
      LDAP_SUCCESS) {
    return false;
  }
  std::unique_ptr<LDAPControl*, ControlsFree> controls(raw_controls);
  LDAPControl* response = ldap_control_find(LDAP_CONTROL_PAGEDRESULTS, controls.get(), nullptr);
  if (response == nullptr) return false;
  ber_int_t estimate = 0;
  berval cookie{0, nullptr};
  if (ldap_parse_pageresponse_control(ldap, response, &estimate, &cookie) != LDAP_SUCCESS) {
    return false;
  }
  if (cookie.bv_val != nullptr) {
    cookie_.assign(cookie.bv_val, cookie.bv_len);
    ldap_memfree(cookie.bv_val);
  }
  return true;
}
