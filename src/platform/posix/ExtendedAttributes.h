#pragma once

// Gives the file open as `to` the extended attributes of the one open as `from` (user.*,
// ACLs, security labels; trusted.* too for root). NotPermitted when the user may not read
// or set one of them; Done as well when the file system has none.
enum class AttributeCopy { Done, NotPermitted, Failed };

AttributeCopy CopyExtendedAttributes(int from, int to);
