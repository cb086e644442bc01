// The login sequence: the login dialog (at start-up), the chosen site's
// connection record and identity check, the connect to the site's servers in
// their trying order, the customer number and the login with its rights.
#pragma once

// 1 logged in, 0 not (cancelled, refused four times, or not allowed to run).
// `dialogFlag` 1 asks the user; 0 logs in again silently with the previous
// pass's record (the reconnection), showing nothing.
int LoginLoop(int dialogFlag);
