@echo off
rem Stand-in for the vendor's flint.bat: a wrapper around the query program beside it.
"%~dp0flint_query.exe" %*
exit /b %errorlevel%
