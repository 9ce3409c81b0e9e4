// A file of the formats layer that calls into the document layer above it:
// the link check must refuse it.
void remove_backup();

void upward_call_for_the_link_check() { remove_backup(); }
