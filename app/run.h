#pragma once

namespace modpaths {

// The whole run of the tool: resolve the output, template and paks paths,
// read the template, collect the mod package paths and write the save.
// Silent: every outcome, good or bad, shows only in the output file.
void RunTool();

}  // namespace modpaths
