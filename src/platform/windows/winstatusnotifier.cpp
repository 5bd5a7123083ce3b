namespace dsc::platform {

// The Windows notification area sends real double-clicks.
bool statusNotifierInUse() {
    return false;
}

} // namespace dsc::platform
