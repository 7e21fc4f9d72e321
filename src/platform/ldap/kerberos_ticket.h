// What the user's Kerberos ticket cache and configuration say, for finding the domain's
// controllers and for telling why a Kerberos bind failed.
#pragma once

#include <string>

// The realm of the default cache's client principal; false when there is no cache or it names
// no principal (no ticket).
bool TicketRealm(std::string* realm);

// The realm the Kerberos configuration names as its default; false when it names none.
bool DefaultRealm(std::string* realm);

// Whether the KDC, asked with the user's ticket, says it knows no service principal
// "ldap/<host>" (the name a bind to host asks for). False for every other answer, a ticket
// given or a failure of another kind.
bool LdapServiceUnknownToKdc(const std::string& host);
