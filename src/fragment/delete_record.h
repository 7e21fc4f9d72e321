// The record that has clients delete a value, as the group policy editor writes it: a REG_SZ
// named "**del." and the value's name ("**del." alone for the key's default value) whose text is
// a single blank.
#pragma once

constexpr char kDeleteRecordPrefix[] = "**del.";
constexpr char kDeleteRecordText[] = " ";
