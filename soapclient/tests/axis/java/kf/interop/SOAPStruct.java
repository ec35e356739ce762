package kf.interop;

/** The interop structure: a bean, so that the service's type mapping serializes it by field. */
public class SOAPStruct {
    private String varString;
    private int varInt;
    private float varFloat;

    public SOAPStruct() {}

    public String getVarString() { return varString; }
    public void setVarString(String value) { varString = value; }
    public int getVarInt() { return varInt; }
    public void setVarInt(int value) { varInt = value; }
    public float getVarFloat() { return varFloat; }
    public void setVarFloat(float value) { varFloat = value; }
}
