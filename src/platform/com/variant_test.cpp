#include <gtest/gtest.h>

#include <objbase.h>

#include "support/counted_object.h"

namespace {

TEST(VariantTest, ClearReleasesWhatTheVariantOwns) {
  VARIANT variant;
  VariantInit(&variant);
  EXPECT_EQ(variant.vt, VT_EMPTY);

  variant.vt = VT_BSTR;
  variant.bstrVal = SysAllocString(OLESTR("owned"));  // AddressSanitizer reports a leak if kept
  EXPECT_EQ(VariantClear(&variant), S_OK);
  EXPECT_EQ(variant.vt, VT_EMPTY);

  CountedObject object;
  variant.vt = VT_UNKNOWN;
  variant.punkVal = &object;
  EXPECT_EQ(VariantClear(&variant), S_OK);
  EXPECT_EQ(object.references, 0u) << "VT_UNKNOWN released";

  variant.vt = VT_BSTR | VT_BYREF;
  BSTR not_owned = SysAllocString(OLESTR("kept"));
  variant.byref = &not_owned;
  EXPECT_EQ(VariantClear(&variant), S_OK);
  EXPECT_EQ(SysStringLen(not_owned), 4u) << "a reference is not freed";
  SysFreeString(not_owned);

  for (VARTYPE empty_holder : {VT_BSTR, VT_UNKNOWN, VT_DISPATCH}) {
    variant.vt = empty_holder;
    variant.punkVal = nullptr;
    EXPECT_EQ(VariantClear(&variant), S_OK) << "null value of type " << empty_holder;
  }
}

TEST(VariantTest, UnknownTypesAreRefusedAndKept) {
  const VARTYPE refused[] = {VT_VARIANT, VT_ARRAY | VT_VARIANT, 0x7F, VT_BYREF | 0x7F};
  for (VARTYPE type : refused) {
    VARIANT variant;
    variant.vt = type;
    variant.llVal = 42;
    EXPECT_EQ(VariantClear(&variant), DISP_E_BADVARTYPE) << "type " << type;
    EXPECT_EQ(variant.vt, type) << "type " << type;
    EXPECT_EQ(variant.llVal, 42) << "type " << type;
  }
  EXPECT_EQ(VariantClear(nullptr), E_INVALIDARG);
}

}  // namespace
