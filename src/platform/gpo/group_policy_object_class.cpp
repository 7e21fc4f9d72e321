// Registers the group policy object class, so CoCreateInstance(CLSID_GroupPolicyObject) makes one.
#include "com/class_table.h"
#include "gpo/group_policy_object.h"

namespace {

const ComClassRegistration kGroupPolicyObjectClass(CLSID_GroupPolicyObject,
                                                   &GroupPolicyObject::Create);

}  // namespace
