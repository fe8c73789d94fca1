#include "client/community/mailbox.h"

// The handling arrives with the postcard mailbox.
void HandlePostcardMessage(char*) {}
