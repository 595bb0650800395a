// Placeholder: writes no seeds yet.
int main() {
    return 0;
}
