package kf.interop;

/** Echo operations served document/literal (wrapped): the body element is the operation. */
public class DocumentService {
    public String echoString(String inputString) { return inputString; }
    public SOAPStruct echoStruct(SOAPStruct inputStruct) { return inputStruct; }
}
