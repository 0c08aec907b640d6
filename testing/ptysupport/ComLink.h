#pragma once

// The COM folder's entries that name a simulator's terminal: the program
// opens COM<n> through a symbolic link of that name.

#include <string>

namespace vexar::ptysupport {

// "<folder>/COM<number>"; false, with the reason, for a number outside 1 to 256.
bool ComLinkPath(const std::string& folder, int number, std::string& path, std::string& error);

// Makes `link` name `target`, replacing what was there. The link is made
// under a temporary name and renamed over the old one, so whoever looks at
// the folder sees the old link or the new one, never none.
bool PublishLink(const std::string& link, const std::string& target, std::string& error);

// Removes `link`, but only while it still names `target`: someone may have
// pointed it elsewhere since.
void RemoveLinkTo(const std::string& link, const std::string& target);

}  // namespace vexar::ptysupport
