// A program that does nothing: it carries a version resource made with names that
// need care (Japanese, quotes, a backslash) and an icon, for version_info_test.
int main()
{
    return 0;
}
