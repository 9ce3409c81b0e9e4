// Running the converter programs of foreign file types.
#pragma once

#include <string>

// Runs `program` with `file` as its one argument and waits for it. False
// only when the program could not be started; its exit status is not
// examined.
bool run_converter(const std::string& program, const std::string& file);
// Runs the forward converter of type `type` on `name`; false (with a
// warning) when it could not be started.
bool convert_from_foreign(int type, const std::string& name);
// Runs the backward converter of type `type` on the native file.
void convert_to_target_file(int type, const std::string& native_name);
